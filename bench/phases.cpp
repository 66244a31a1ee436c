// The uninstaller's own phases, each timed on its own, on the benchmark's
// installation: the same functions that a run calls, in the run's order,
// without the confirmation and the self-removal.
//
//   bench_phases <uninstall key name>
//
// Prints one line per phase with its seconds.
#include <windows.h>

#include <cstdio>
#include <string>

#include "bench/lap.h"
#include "registration/installed_products.h"
#include "setup/uninstall_record.h"
#include "uninstall/list_to_do.h"
#include "uninstall/remove_installed_files.h"
#include "uninstall/remove_installed_folders.h"
#include "uninstall/remove_installed_helps.h"
#include "uninstall/system_libraries.h"
#include "uninstall/uninstall_run.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    (void)std::fprintf(stderr, "usage: bench_phases <uninstall key name>\n");
    return 2;
  }
  uninstall::SetUninstallKeyName(argv[1]);
  uninstall::LoadSystemLibrary("comctl32.dll");  // as the entry does: the progress dialog's bar
  bench::Lap();
  uninstall::RemoveInstalledFiles();
  std::printf("files %.3f\n", bench::Lap());
  const std::string product = setup::ReadUninstallValue(argv[1], "PRODUCTNAME");
  registration::UnregisterProduct(product, setup::ReadUninstallValue(argv[1], "SUBPRODUCTNAME"));
  std::printf("product %.3f\n", bench::Lap());
  uninstall::RemoveInstalledFolders();
  std::printf("folders %.3f\n", bench::Lap());
  uninstall::RemoveInstalledHelps();
  std::printf("helps %.3f\n", bench::Lap());
  setup::DeleteUninstallRecord(argv[1]);
  uninstall::DeleteDoneCounts(argv[1]);
  std::printf("record %.3f\n", bench::Lap());
  return 0;
}
