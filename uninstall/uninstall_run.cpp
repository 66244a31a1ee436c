#include "uninstall/uninstall_run.h"

#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "platform/bound_function.h"
#include "platform/failure_report.h"
#include "platform/run_log.h"
#include "platform/text_format.h"
#include "registration/installed_products.h"
#include "registration/shared_files.h"
#include "setup/uninstall_record.h"
#include "uninstall/command_words.h"
#include "uninstall/list_to_do.h"
#include "uninstall/quiet_run.h"
#include "uninstall/remove_installed_files.h"
#include "uninstall/remove_installed_folders.h"
#include "uninstall/remove_installed_helps.h"
#include "uninstall/remove_self.h"
#include "uninstall/system_libraries.h"
#include "uninstall/uninstall_log.h"

namespace uninstall {
namespace {

std::string g_keyName;
bool g_quiet = false;

const char kCaption[] = "Uninstall";

std::string ProgramPath() {
  // A path that does not fit is never used shortened: the buffer grows.
  for (DWORD size = MAX_PATH + 1;; size *= 2) {
    std::vector<char> buffer(size);
    const DWORD length = GetModuleFileNameA(nullptr, buffer.data(), size);
    if (length < size) return std::string(buffer.data(), length);
  }
}

// Registers the progress bar's class for the file removal's dialog: comctl32
// from the system folder, never one beside the program. Should it be
// missing, the dialog cannot be made and the files go without it.
void InitSystemCommonControls() {
  using InitFunction = decltype(&InitCommonControls);
  if (const auto init = platform::ModuleFunction<InitFunction>(LoadSystemLibrary("comctl32.dll"), "InitCommonControls"))
    init();
}

}  // namespace

std::string CommandArgument(int index) {
  if (index == 0) return ProgramPath();
  return WordOfCommandLine(GetCommandLineA(), index);
}

const std::string& UninstallKeyName() { return g_keyName; }

void SetUninstallKeyName(const std::string& keyName) { g_keyName = keyName; }

bool QuietRun() { return g_quiet; }

void SetQuietRun(bool quiet) { g_quiet = quiet; }

bool ConfirmUninstall() {
  const std::string text =
      platform::FormatText("Are you sure you want to completely remove the %s?", g_keyName);
  return MessageBoxA(nullptr, text.c_str(), kCaption, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void RunUninstall() {
  if (!ConfirmUninstall()) return platform::LogLine({"Declined by the user: nothing done, exit code 0"});
  RunUninstallPhases();
  platform::LogLine({"Completed, exit code 0"});
}

void RunUninstallPhases() {
  LogPhase("installed files (FILES)");
  RemoveInstalledFiles();
  const std::string product = setup::ReadUninstallValue(g_keyName, "PRODUCTNAME");
  const std::string subProducts = setup::ReadUninstallValue(g_keyName, "SUBPRODUCTNAME");
  platform::LogLine({"Phase: product registration of \"", product, "\", sub-products \"", subProducts, "\""});
  registration::UnregisterProduct(product, subProducts);
  LogPhase("folders (FOLDERS)");
  RemoveInstalledFolders();
  LogPhase("help entries (INSTALLEDHELPS)");
  RemoveInstalledHelps();
  LogPhase("the uninstall record");
  setup::DeleteUninstallRecord(g_keyName);
  // A complete run leaves no counts of entries done, also where the record
  // stays; its lists are then empty texts.
  DeleteDoneCounts(g_keyName);
  LogPhase("the program file");
  // A counter of 0 or more means another installation still uses this program file.
  const int programCount = registration::SharedFileCount(CommandArgument(0));
  if (programCount < 0)
    RemoveSelf(CommandArgument(0));
  else
    platform::LogLine({"Program file: counter ", platform::DecimalText(programCount).View(),
                       ", kept (another installation uses it)"});
}

int UninstallEntry() {
  RestrictDllSearch();
  InitSystemCommonControls();
  SetUninstallKeyName(CommandArgument(1));
  if (g_keyName.empty()) {
    MessageBoxA(nullptr,
                "Do not call this program directly.\r\nUse Add/Remove Programs to remove this "
                "application.",
                kCaption, MB_OK | MB_ICONERROR);
    return 0;
  }
  const RunSwitches switches = ReadRunSwitches(GetCommandLineA());
  SetQuietRun(switches.quiet);
  platform::ShowFailureBox(!switches.quiet);
  StartRunLog(switches);
  if (switches.quiet) return RunQuietUninstall();
  RunUninstall();
  return 0;
}

}  // namespace uninstall
