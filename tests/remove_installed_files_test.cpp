#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "platform/errors.h"
#include "tests/support/import_swap.h"
#include "tests/support/scratch.h"
#include "ui/res_dialog.h"
#include "uninstall/remove_installed_files.h"
#include "uninstall/uninstall_run.h"

using namespace testing_support;

namespace {

const char kCounters[] = "Software\\Quenlar\\InstalledFiles";

struct Sent {
  int control;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  std::string text;
};
std::vector<Sent> g_sent;
decltype(&SendDlgItemMessageA) g_realSend = nullptr;

LRESULT WINAPI RecordingSend(HWND dialog, int control, UINT message, WPARAM wParam, LPARAM lParam) {
  Sent sent{control, message, wParam, lParam, {}};
  if (message == WM_SETTEXT) sent.text = reinterpret_cast<const char*>(lParam);
  const LRESULT result = g_realSend(dialog, control, message, wParam, lParam);
  if (message == WM_SETTEXT) {  // read the text back from the real control
    char shown[512] = {};
    GetDlgItemTextA(dialog, control, shown, sizeof shown);
    sent.text = shown;
  }
  g_sent.push_back(sent);
  return result;
}

void SetCount(const std::string& path, DWORD type, const std::string& data) {
  HKEY key = nullptr;
  RegCreateKeyExA(HKEY_CURRENT_USER, kCounters, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
  RegSetValueExA(key, path.c_str(), 0, type, reinterpret_cast<const BYTE*>(data.data()), static_cast<DWORD>(data.size()));
  RegCloseKey(key);
}
void SetCount(const std::string& path, int count) { SetCount(path, REG_DWORD, std::string(reinterpret_cast<const char*>(&count), 4)); }

int CountOf(const std::string& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kCounters, 0, KEY_READ, &key) != ERROR_SUCCESS) return -100;
  int value = -99;
  DWORD size = sizeof value;
  RegQueryValueExA(key, path.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
  RegCloseKey(key);
  return value;
}

// Runs the phase for a record whose FILES value is files, recording what it sent.
struct Phase {
  ScratchFolder folder;
  ScratchRecord record;
  Phase() { DeleteTree(HKEY_CURRENT_USER, kCounters); g_sent.clear(); }
  ~Phase() { DeleteTree(HKEY_CURRENT_USER, kCounters); }
  void Run(const std::string& files) {
    record.SetValue("FILES", REG_SZ, files);
    uninstall::SetUninstallKeyName(record.Name());
    ImportSwap swap("user32.dll", "SendDlgItemMessageA", reinterpret_cast<const void*>(&RecordingSend));
    ASSERT_TRUE(swap.Swapped());
    g_realSend = reinterpret_cast<decltype(&SendDlgItemMessageA)>(swap.Original());
    uninstall::RemoveInstalledFiles();
  }
};

}  // namespace

TEST(RemovingFiles, DeletesOnlyFilesWhoseCounterReachesZeroAndShowsEachPath) {
  Phase phase;
  const std::string once = phase.folder.File("once.dll");
  const std::string shared = phase.folder.File("shared.dll");
  const std::string free = phase.folder.File("nocounter.dll");
  const std::string twice = phase.folder.File("twice.dll");
  const std::string amp = phase.folder.File("R&D.hlp");
  const std::string missing = phase.folder.File("missing.dll");
  for (const std::string& f : {once, shared, free, twice, amp}) WriteBytes(f, "x");
  SetCount(once, 1);
  SetCount(shared, 2);
  SetCount(twice, 2);
  SetCount(amp, 1);
  SetCount(missing, 1);
  SetCount("", 3);
  phase.Run(once + "\r\n" + shared + "\r\n" + free + "\r\n" + twice + "\r\n\r\n" + twice + "\r\n" + amp + "\r\n" + missing);

  EXPECT_FALSE(Exists(once));
  EXPECT_TRUE(Exists(shared));
  EXPECT_EQ(CountOf(shared), 1);
  EXPECT_TRUE(Exists(free));
  EXPECT_FALSE(Exists(twice));
  EXPECT_FALSE(Exists(amp));
  EXPECT_EQ(CountOf(""), 2);  // the empty line released the empty name's counter
  EXPECT_EQ(CountOf(missing), -99);

  const std::vector<std::string> shown = {once, shared, free, twice, "", twice, amp, missing};
  ASSERT_EQ(g_sent.size(), 1 + 2 * shown.size());
  EXPECT_EQ(g_sent[0].control, 1000);
  EXPECT_EQ(g_sent[0].message, static_cast<UINT>(PBM_SETRANGE32));
  EXPECT_EQ(g_sent[0].wParam, 0u);
  EXPECT_EQ(g_sent[0].lParam, 8);
  for (std::size_t i = 0; i < shown.size(); ++i) {
    const Sent& text = g_sent[1 + 2 * i];
    const Sent& position = g_sent[2 + 2 * i];
    EXPECT_EQ(text.control, 1001);
    EXPECT_EQ(text.text, shown[i]);  // an ampersand shows as such
    EXPECT_EQ(position.message, static_cast<UINT>(PBM_SETPOS));
    EXPECT_EQ(position.wParam, i);
  }
}

TEST(RemovingFiles, AnEmptyListShowsAnEmptyBarAndDeletesNothing) {
  Phase phase;
  phase.Run("");
  ASSERT_EQ(g_sent.size(), 1u);
  EXPECT_EQ(g_sent[0].lParam, 0);
  EXPECT_TRUE(ui::LiveDialogs().empty());
}

TEST(RemovingFiles, ACounterOfTheWrongTypeEndsThePhaseWithTheDialogGone) {
  Phase phase;
  const std::string first = phase.folder.File("first.dll");
  const std::string bad = phase.folder.File("bad.dll");
  const std::string later = phase.folder.File("later.dll");
  for (const std::string& f : {first, bad, later}) WriteBytes(f, "x");
  SetCount(first, 1);
  SetCount(bad, REG_SZ, std::string("ab\0", 3));
  SetCount(later, 1);
  try {
    phase.Run(first + "\r\n" + bad + "\r\n" + later);
    ADD_FAILURE();
  } catch (const platform::ERegistryException& error) {
    EXPECT_EQ(error.Message(), "Invalid data type for '" + bad + "'");
  }
  EXPECT_TRUE(ui::LiveDialogs().empty());
  EXPECT_EQ(FindWindowA("#32770", "Removing files"), nullptr);
  EXPECT_FALSE(Exists(first));
  EXPECT_TRUE(Exists(later));
  EXPECT_EQ(CountOf(later), 1);
}

namespace {

// Stand-ins that make the call and then act as if a dialog handler had
// failed while the window system ran it; the failing call is the n-th one.
int g_callsBeforeFailure = 0;
const void* g_original = nullptr;

void FailInsideTheWindowSystem() {
  if (g_callsBeforeFailure-- == 0)
    ui::KeepDialogFailure(std::make_exception_ptr(platform::ERegistryException("handler failed", nullptr)));
}
HWND WINAPI CreateAndFail(HINSTANCE a, LPCSTR b, HWND c, DLGPROC d, LPARAM e) {
  HWND window = reinterpret_cast<decltype(&CreateDialogParamA)>(g_original)(a, b, c, d, e);
  FailInsideTheWindowSystem();
  return window;
}
LRESULT WINAPI SendAndFail(HWND a, int b, UINT c, WPARAM d, LPARAM e) {
  const LRESULT result = reinterpret_cast<decltype(&SendDlgItemMessageA)>(g_original)(a, b, c, d, e);
  FailInsideTheWindowSystem();
  return result;
}
BOOL WINAPI ShowAndFail(HWND a, int b) {
  const BOOL result = reinterpret_cast<decltype(&ShowWindow)>(g_original)(a, b);
  FailInsideTheWindowSystem();
  return result;
}
BOOL WINAPI DestroyAndFail(HWND a) {
  const BOOL result = reinterpret_cast<decltype(&DestroyWindow)>(g_original)(a);
  FailInsideTheWindowSystem();
  return result;
}

}  // namespace

TEST(RemovingFiles, AHandlerFailureIsRaisedAtTheNextStepWhateverCallRanIt) {
  struct Step {
    const char* function;
    const void* standIn;
    int callsBefore;
    int filesRemoved;
  } steps[] = {{"CreateDialogParamA", reinterpret_cast<const void*>(&CreateAndFail), 0, 0},
               {"SendDlgItemMessageA", reinterpret_cast<const void*>(&SendAndFail), 0, 0},  // the bar's range
               {"ShowWindow", reinterpret_cast<const void*>(&ShowAndFail), 0, 0},
               {"SendDlgItemMessageA", reinterpret_cast<const void*>(&SendAndFail), 2, 1},  // the first position
               {"SendDlgItemMessageA", reinterpret_cast<const void*>(&SendAndFail), 4, 2},  // the last position
               {"DestroyWindow", reinterpret_cast<const void*>(&DestroyAndFail), 0, 2}};
  for (const Step& step : steps) {
    SCOPED_TRACE(std::string(step.function) + " " + std::to_string(step.callsBefore));
    Phase phase;
    const std::string files[] = {phase.folder.File("a.dll"), phase.folder.File("b.dll")};
    for (const std::string& f : files) WriteBytes(f, "x"), SetCount(f, 1);
    phase.record.SetValue("FILES", REG_SZ, files[0] + "\r\n" + files[1]);
    uninstall::SetUninstallKeyName(phase.record.Name());
    ImportSwap swap("user32.dll", step.function, step.standIn);
    ASSERT_TRUE(swap.Swapped());
    g_original = swap.Original();
    g_callsBeforeFailure = step.callsBefore;
    EXPECT_THROW(uninstall::RemoveInstalledFiles(), platform::ERegistryException);
    EXPECT_EQ(!Exists(files[0]) + !Exists(files[1]), step.filesRemoved);
    EXPECT_TRUE(ui::LiveDialogs().empty());
    EXPECT_EQ(FindWindowA("#32770", "Removing files"), nullptr);
    EXPECT_NO_THROW(ui::RaisePendingDialogFailure());  // nothing stays pending
  }
}
