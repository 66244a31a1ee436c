// Modeless dialogs built from dialog templates among the program's resources,
// registered in LiveDialogs and sharing one dialog procedure that routes each
// message to the handler of the dialog's class (or of a base class).
#pragma once
#include <windows.h>

#include <exception>
#include <vector>

namespace ui {

struct DialogMessage {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  LRESULT result;  // a handler may write it; never passed back
};

class TQNLResDialog;
using MessageHandler = void (*)(TQNLResDialog& dialog, DialogMessage& message);

// One class's handlers by message number, and the table of its base class.
struct MessageHandlerEntry {
  UINT message;
  MessageHandler handler;
};
struct MessageHandlerTable {
  const MessageHandlerTable* base;
  const MessageHandlerEntry* entries;
  std::size_t count;
};

class TQNLResDialog {
 public:
  // Registers the dialog and creates its window from the template (an
  // integer resource id through MAKEINTRESOURCEA, or a name). A failed
  // creation leaves Handle 0 and the dialog registered.
  explicit TQNLResDialog(LPCSTR templateName);
  // Unregisters the dialog, then destroys its window (when Close has not).
  // A failure that a handler raises meanwhile is dropped: the dialog is being
  // left on a path that has its own outcome.
  virtual ~TQNLResDialog();
  TQNLResDialog(const TQNLResDialog&) = delete;
  TQNLResDialog& operator=(const TQNLResDialog&) = delete;

  virtual void InitDialog() {}

  // Unregisters the dialog and destroys its window now, then raises a failure
  // that a handler raised while the window went.
  void Close();

  HWND Handle = nullptr;
  bool Ended = false;
  bool Accepted = false;

  // Routes one message by its low 16 bits; 0 and 0xC000 and above (registered
  // messages) go to UnhandledMessage, which does nothing.
  void RouteMessage(DialogMessage& message);

 protected:
  virtual const MessageHandlerTable& Handlers() const;
  virtual void UnhandledMessage(DialogMessage&) {}

 private:
  void Unregister() noexcept;
  static void HandleInitDialog(TQNLResDialog& dialog, DialogMessage& message);
  static void HandleCommand(TQNLResDialog& dialog, DialogMessage& message);
};

// The live dialogs in creation order; they are not owned.
std::vector<TQNLResDialog*>& LiveDialogs();

// The one dialog procedure: routes to the registered dialog whose Handle is
// the window, returns FALSE always, and lets no exception through.
INT_PTR CALLBACK ResDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Keeps a failure raised while the window system ran ResDialogProc, until the
// program's side raises it; while one is kept, later ones are dropped.
void KeepDialogFailure(const std::exception_ptr& failure) noexcept;

// Raises, on the program's side of the window system, the kept failure;
// does nothing when there is none. Called after every call that can make the
// window system run a handler.
void RaisePendingDialogFailure();

}  // namespace ui
