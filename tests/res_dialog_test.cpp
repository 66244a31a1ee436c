#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "ui/res_dialog.h"
#include "ui/resource_ids.h"

using ui::DialogMessage;
using ui::ResDialogProc;
using ui::TQNLResDialog;

namespace {

std::string TemplateBytes() {
  HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(IDD_PROGRESS), MAKEINTRESOURCEA(5));
  if (!found) return {};
  const DWORD size = SizeofResource(nullptr, found);
  const char* data = static_cast<const char*>(LockResource(LoadResource(nullptr, found)));
  return std::string(data, size);
}

std::string Wide(const char* text) {
  std::string bytes;
  for (const char* p = text;; ++p) {
    bytes += *p;
    bytes += '\0';
    if (!*p) return bytes;
  }
}

std::string Dword(unsigned v) { return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; }
std::string Word(unsigned v) { return std::string{char(v), char(v >> 8)}; }

// Counts the messages a derived class handles, also for registered numbers.
class CountingDialog : public TQNLResDialog {
 public:
  CountingDialog() : TQNLResDialog(MAKEINTRESOURCEA(IDD_PROGRESS)) {}
  int seen = 0;
  static void Count(TQNLResDialog& dialog, DialogMessage&) { ++static_cast<CountingDialog&>(dialog).seen; }

 protected:
  const ui::MessageHandlerTable& Handlers() const override {
    static const ui::MessageHandlerEntry entries[] = {{WM_USER + 1, &Count}, {0xC001, &Count}};
    static const ui::MessageHandlerTable table = {&TQNLResDialog::Handlers(), entries, 2};
    return table;
  }
};

}  // namespace

TEST(ProgressDialogTemplate, IsThe212BytesOfTheExtendedTemplate) {
  std::string expected = Word(1) + Word(0xFFFF) + Dword(0) + Dword(0x00010000) + Dword(0x90C809C4) + Word(2) +
                         Word(0) + Word(0) + Word(224) + Word(66) + Word(0) + Word(0) + Wide("Removing files") +
                         Word(8) + Word(0) + Word(0) + Wide("MS Sans Serif") + Word(0);
  expected += Dword(0) + Dword(0) + Dword(0x50800000) + Word(5) + Word(35) + Word(212) + Word(19) + Dword(1000) +
              Wide("msctls_progress32") + Wide("Progress1") + Word(0) + Word(0);
  expected += Dword(0) + Dword(0) + Dword(0x50021281) + Word(5) + Word(9) + Word(212) + Word(19) + Dword(1001) +
              Word(0xFFFF) + Word(0x0082) + Word(0) + Word(0);
  ASSERT_EQ(expected.size(), 212u);
  EXPECT_EQ(TemplateBytes(), expected);
}

TEST(ProgressDialogTemplate, MakesAVisibleDialogWithItsTwoControls) {
  TQNLResDialog dialog(MAKEINTRESOURCEA(IDD_PROGRESS));
  ASSERT_NE(dialog.Handle, nullptr);
  char text[64] = {};
  GetWindowTextA(dialog.Handle, text, sizeof text);
  EXPECT_STREQ(text, "Removing files");
  EXPECT_TRUE(IsWindowVisible(dialog.Handle));
  HWND bar = GetDlgItem(dialog.Handle, IDC_PROGRESS_BAR);
  HWND name = GetDlgItem(dialog.Handle, IDC_FILE_NAME);
  ASSERT_TRUE(bar && name);
  GetClassNameA(bar, text, sizeof text);
  EXPECT_STREQ(text, "msctls_progress32");
  GetClassNameA(name, text, sizeof text);
  EXPECT_STREQ(text, "Static");
  EXPECT_EQ(GetWindowLongA(name, GWL_STYLE) & 0xFFFF, 0x1281);
  EXPECT_EQ(ui::LiveDialogs().back(), &dialog);
}

TEST(DialogRouting, OkAndCancelEndTheDialogOtherCommandsDoNot) {
  TQNLResDialog dialog(MAKEINTRESOURCEA(IDD_PROGRESS));
  EXPECT_EQ(ResDialogProc(dialog.Handle, WM_COMMAND, MAKEWPARAM(IDOK, 1), 0), FALSE);  // accelerator
  EXPECT_EQ(ResDialogProc(dialog.Handle, WM_COMMAND, MAKEWPARAM(3, 0), 0), FALSE);
  EXPECT_FALSE(dialog.Ended);
  EXPECT_EQ(ResDialogProc(dialog.Handle, WM_COMMAND, MAKEWPARAM(IDOK, 0), 0), FALSE);
  EXPECT_TRUE(dialog.Ended);
  EXPECT_TRUE(dialog.Accepted);
  ResDialogProc(dialog.Handle, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);
  EXPECT_TRUE(dialog.Ended);
  EXPECT_FALSE(dialog.Accepted);
}

TEST(DialogRouting, EachDialogGetsOnlyItsOwnWindowsMessagesAndRegisteredNumbersNone) {
  CountingDialog first;
  CountingDialog second;
  ResDialogProc(first.Handle, WM_USER + 1, 0, 0);
  ResDialogProc(reinterpret_cast<HWND>(0x1234), WM_USER + 1, 0, 0);  // no dialog holds it
  ResDialogProc(first.Handle, 0xC001, 0, 0);
  EXPECT_EQ(first.seen, 1);
  EXPECT_EQ(second.seen, 0);
  ResDialogProc(second.Handle, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);  // the base class's handler
  EXPECT_TRUE(second.Ended);
  EXPECT_FALSE(first.Ended);
}

TEST(DialogRouting, DestroyingAnUnregisteredDialogDestroysItsWindow) {
  auto* dialog = new TQNLResDialog(MAKEINTRESOURCEA(IDD_PROGRESS));
  HWND window = dialog->Handle;
  ui::LiveDialogs().clear();
  delete dialog;
  EXPECT_FALSE(IsWindow(window));
}
