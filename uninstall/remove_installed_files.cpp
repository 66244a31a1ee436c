#include "uninstall/remove_installed_files.h"

#include <windows.h>
#include <commctrl.h>

#include <optional>

#include "platform/line_list.h"
#include "registration/shared_files.h"
#include "setup/uninstall_record.h"
#include "ui/res_dialog.h"
#include "ui/resource_ids.h"
#include "uninstall/file_claims.h"
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

// The entry at toDo.Done(): the counter is released first; a failed delete
// does not restore it.
void RemoveInstalledFile(const Progress& dialog, const platform::LineList& files, ListToDo& toDo) {
  const int i = toDo.Done();
  const std::string path(files.LineAt(i));
  SendToControl(dialog, IDC_FILE_NAME, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
  const int released = registration::ReleaseSharedFile(path);
  const BOOL deleted = released == 0 && DeleteFileA(path.c_str());
  LogFileOutcome(path, released, deleted);
  toDo.EntryDone();
  SendToControl(dialog, IDC_PROGRESS_BAR, PBM_SETPOS, i, 0);
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
  // outside or by a power loss did are passed over: their counters were
  // released then.
  ListToDo toDo(UninstallKeyName(), "FILES", text, count, HKEY_CURRENT_USER);
  SettleEarlierFiles(files, toDo);
  LogEntriesDoneBefore("FILES", toDo.Done(), count);
  SendToControl(dialog, IDC_PROGRESS_BAR, PBM_SETRANGE32, 0, count);
  if (dialog) ShowWindow(dialog->Handle, SW_SHOWDEFAULT);
  ui::RaisePendingDialogFailure();
  while (toDo.Done() < count) {
    // Claimed, with each counter as it is, before any of the stretch is released.
    const std::vector<EntryState> stretch = ClaimFiles(files, toDo.Done());
    toDo.Claim(stretch);
    for (std::size_t k = 0; k < stretch.size(); ++k) RemoveInstalledFile(dialog, files, toDo);
  }
  if (dialog) dialog->Close();
}

}  // namespace uninstall
