#include "uninstall/remove_installed_files.h"

#include <windows.h>
#include <commctrl.h>

#include <optional>

#include "platform/line_list.h"
#include "registration/shared_files.h"
#include "setup/uninstall_record.h"
#include "ui/res_dialog.h"
#include "ui/resource_ids.h"
#include "uninstall/list_to_do.h"
#include "uninstall/uninstall_log.h"
#include "uninstall/uninstall_run.h"

namespace uninstall {
namespace {

// The progress dialog; none in a quiet run.
using Progress = std::optional<ui::TQNLResDialog>;

// Sends a message to a control of the dialog, if there is one; a failure
// that a handler raised while the window system delivered it is raised here,
// at this step.
void SendToControl(const Progress& dialog, int control, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!dialog) return;
  SendDlgItemMessageA(dialog->Handle, control, message, wParam, lParam);
  ui::RaisePendingDialogFailure();
}

}  // namespace

void RemoveInstalledFiles() {
  // Declared before the dialog so that the dialog goes first on every path.
  platform::LineList files;
  Progress dialog;
  if (!QuietRun()) dialog.emplace(MAKEINTRESOURCEA(IDD_PROGRESS));
  ui::RaisePendingDialogFailure();
  const std::string text = setup::ReadUninstallValue(UninstallKeyName(), "FILES");
  files.AssignText(text);
  const int count = files.LineCount();
  // FILES holds what is left to do; of it, the entries that a run ended from
  // outside did are passed over: their counters were released then.
  ListToDo toDo(UninstallKeyName(), "FILES", text, count);
  LogEntriesDoneBefore("FILES", toDo.Done(), count);
  SendToControl(dialog, IDC_PROGRESS_BAR, PBM_SETRANGE32, 0, count);
  if (dialog) ShowWindow(dialog->Handle, SW_SHOWDEFAULT);
  ui::RaisePendingDialogFailure();
  for (int i = toDo.Done(); i < count; ++i) {
    const std::string path(files.LineAt(i));
    SendToControl(dialog, IDC_FILE_NAME, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    // The counter is released first; a failed delete does not restore it.
    const int released = registration::ReleaseSharedFile(path);
    const BOOL deleted = released == 0 && DeleteFileA(path.c_str());
    LogFileOutcome(path, released, deleted);
    toDo.EntryDone();
    SendToControl(dialog, IDC_PROGRESS_BAR, PBM_SETPOS, i, 0);
  }
  if (dialog) dialog->Close();
}

}  // namespace uninstall
