#include "ui/res_dialog.h"

#include <algorithm>

namespace ui {
namespace {

std::exception_ptr g_pendingFailure;

constexpr UINT kFirstRegisteredMessage = 0xC000;

}  // namespace

std::vector<TQNLResDialog*>& LiveDialogs() {
  static std::vector<TQNLResDialog*> dialogs;
  return dialogs;
}

TQNLResDialog::TQNLResDialog(LPCSTR templateName) {
  LiveDialogs().push_back(this);
  // Handle is stored only when the window exists: messages sent during the
  // creation find no dialog, so InitDialog does not run for this window.
  Handle = CreateDialogParamA(GetModuleHandleA(nullptr), templateName, nullptr, &ResDialogProc, 0);
}

TQNLResDialog::~TQNLResDialog() {
  Unregister();
  if (Handle) DestroyWindow(Handle);
  g_pendingFailure = nullptr;
}

void TQNLResDialog::Unregister() noexcept {
  std::vector<TQNLResDialog*>& dialogs = LiveDialogs();
  auto found = std::find(dialogs.begin(), dialogs.end(), this);
  if (found != dialogs.end()) dialogs.erase(found);
}

void TQNLResDialog::Close() {
  Unregister();
  DestroyWindow(Handle);
  Handle = nullptr;
  RaisePendingDialogFailure();
}

const MessageHandlerTable& TQNLResDialog::Handlers() const {
  static const MessageHandlerEntry entries[] = {{WM_INITDIALOG, &HandleInitDialog},
                                                {WM_COMMAND, &HandleCommand}};
  static const MessageHandlerTable table = {nullptr, entries, 2};
  return table;
}

void TQNLResDialog::RouteMessage(DialogMessage& message) {
  const UINT number = message.message & 0xFFFF;
  if (number == 0 || number >= kFirstRegisteredMessage) return UnhandledMessage(message);
  for (const MessageHandlerTable* table = &Handlers(); table; table = table->base)
    for (std::size_t i = 0; i < table->count; ++i)
      if (table->entries[i].message == number) return table->entries[i].handler(*this, message);
  UnhandledMessage(message);
}

void TQNLResDialog::HandleInitDialog(TQNLResDialog& dialog, DialogMessage&) { dialog.InitDialog(); }

void TQNLResDialog::HandleCommand(TQNLResDialog& dialog, DialogMessage& message) {
  if (HIWORD(message.wParam) != 0) return;
  const WORD id = LOWORD(message.wParam);
  if (id == IDOK || id == IDCANCEL) {
    dialog.Ended = true;
    dialog.Accepted = id == IDOK;
  }
}

// cppcheck-suppress constParameter ; the window system fixes this signature (DLGPROC)
INT_PTR CALLBACK ResDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  try {
    std::vector<TQNLResDialog*>& dialogs = LiveDialogs();
    const std::size_t count = dialogs.size();
    for (std::size_t i = 0; i < count && i < dialogs.size(); ++i) {
      if (dialogs[i]->Handle == window) {
        DialogMessage routed{message, wParam, lParam, 0};
        dialogs[i]->RouteMessage(routed);
        break;
      }
    }
  } catch (...) {
    KeepDialogFailure(std::current_exception());
  }
  return FALSE;
}

void KeepDialogFailure(const std::exception_ptr& failure) noexcept {
  if (!g_pendingFailure) g_pendingFailure = failure;
}

void RaisePendingDialogFailure() {
  if (!g_pendingFailure) return;
  std::exception_ptr failure = g_pendingFailure;
  g_pendingFailure = nullptr;
  std::rethrow_exception(failure);
}

}  // namespace ui
