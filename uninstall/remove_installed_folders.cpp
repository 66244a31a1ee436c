#include "uninstall/remove_installed_folders.h"

#include <windows.h>

#include "platform/line_list.h"
#include "setup/uninstall_record.h"
#include "uninstall/uninstall_log.h"
#include "uninstall/uninstall_run.h"

namespace uninstall {

void RemoveInstalledFolders() {
  platform::LineList folders;
  folders.AssignText(setup::ReadUninstallValue(UninstallKeyName(), "FOLDERS"));
  // Sorted, a folder stands before every folder below it; walking backwards
  // therefore reaches each subfolder before its parent.
  folders.SortLines();
  for (int i = folders.LineCount() - 1; i >= 0; --i) {
    const std::string folder(folders.LineAt(i));
    LogFolderOutcome(folder, RemoveDirectoryA(folder.c_str()));
  }
}

}  // namespace uninstall
