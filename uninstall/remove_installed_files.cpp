#include "uninstall/remove_installed_files.h"

#include <windows.h>
#include <commctrl.h>

#include "platform/line_list.h"
#include "registration/shared_files.h"
#include "setup/uninstall_record.h"
#include "ui/res_dialog.h"
#include "uninstall/uninstall_run.h"

namespace uninstall {
namespace {

constexpr int kProgressDialog = 104;
constexpr int kProgressBar = 1000;
constexpr int kFileName = 1001;

}  // namespace

void RemoveInstalledFiles() {
  // Declared before the dialog so that the dialog goes first on every path.
  platform::LineList files;
  ui::TQNLResDialog dialog(MAKEINTRESOURCEA(kProgressDialog));
  files.AssignText(setup::ReadUninstallValue(UninstallKeyName(), "FILES"));
  const int count = files.LineCount();
  SendDlgItemMessageA(dialog.Handle, kProgressBar, PBM_SETRANGE32, 0, count);
  ShowWindow(dialog.Handle, SW_SHOWDEFAULT);
  for (int i = 0; i < count; ++i) {
    const std::string path = files.LineAt(i);
    SendDlgItemMessageA(dialog.Handle, kFileName, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    // The counter is released first; a failed delete does not restore it.
    if (registration::ReleaseSharedFile(path) == 0) DeleteFileA(path.c_str());
    SendDlgItemMessageA(dialog.Handle, kProgressBar, PBM_SETPOS, i, 0);
    ui::RaisePendingDialogFailure();
  }
}

}  // namespace uninstall
