#include "uninstall/uninstall_run.h"

#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "platform/bound_function.h"
#include "platform/text_format.h"
#include "registration/installed_products.h"
#include "registration/shared_files.h"
#include "setup/uninstall_record.h"
#include "uninstall/command_words.h"
#include "uninstall/list_to_do.h"
#include "uninstall/remove_installed_files.h"
#include "uninstall/remove_installed_folders.h"
#include "uninstall/remove_installed_helps.h"
#include "uninstall/remove_self.h"
#include "uninstall/system_libraries.h"

namespace uninstall {
namespace {

std::string g_keyName;

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

bool ConfirmUninstall() {
  const std::string text =
      platform::FormatText("Are you sure you want to completely remove the %s?", g_keyName);
  return MessageBoxA(nullptr, text.c_str(), kCaption, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void RunUninstall() {
  if (!ConfirmUninstall()) return;
  RemoveInstalledFiles();
  const std::string product = setup::ReadUninstallValue(g_keyName, "PRODUCTNAME");
  const std::string subProducts = setup::ReadUninstallValue(g_keyName, "SUBPRODUCTNAME");
  registration::UnregisterProduct(product, subProducts);
  RemoveInstalledFolders();
  RemoveInstalledHelps();
  setup::DeleteUninstallRecord(g_keyName);
  // A complete run leaves no counts of entries done, also where the record
  // stays; its lists are then empty texts.
  DeleteDoneCounts(g_keyName);
  // A counter of 0 or more means another installation still uses this program file.
  if (registration::SharedFileCount(CommandArgument(0)) < 0) RemoveSelf(CommandArgument(0));
}

void UninstallEntry() {
  RestrictDllSearch();
  InitSystemCommonControls();
  SetUninstallKeyName(CommandArgument(1));
  if (g_keyName.empty()) {
    MessageBoxA(nullptr,
                "Do not call this program directly.\r\nUse Add/Remove Programs to remove this "
                "application.",
                kCaption, MB_OK | MB_ICONERROR);
    return;
  }
  RunUninstall();
}

}  // namespace uninstall
