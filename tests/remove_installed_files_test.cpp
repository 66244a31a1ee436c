#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <memory>

#include "platform/errors.h"
#include "tests/support/import_swap.h"
#include "tests/support/product_keys.h"
#include "tests/support/raised.h"
#include "tests/support/scratch.h"
#include "ui/res_dialog.h"
#include "ui/resource_ids.h"
#include "uninstall/file_claims.h"
#include "uninstall/remove_installed_files.h"
#include "uninstall/uninstall_run.h"

using namespace testing_support;

namespace {

struct Sent {
  int control;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  std::string text;
};
std::vector<Sent> g_sent;

// Records a message sent to a control; a text as the real control shows it.
void RecordSent(HWND dialog, int control, UINT message, WPARAM wParam, LPARAM lParam) {
  char shown[512] = {};
  if (message == WM_SETTEXT) GetDlgItemTextA(dialog, control, shown, sizeof shown);
  g_sent.push_back({control, message, wParam, lParam, shown});
}

// The stored counter; -100 without counter key, -99 without counter.
int CountOf(const std::string& path) {
  if (!KeyExists(HKEY_CURRENT_USER, kCountersKey)) return -100;
  const auto value = ReadRegistryValue(HKEY_CURRENT_USER, kCountersKey, path);
  int count = -99;
  if (value && value->bytes.size() == sizeof count) std::memcpy(&count, value->bytes.data(), sizeof count);
  return count;
}

// Runs the phase for a record whose FILES value is files, recording what it sent.
struct Phase {
  ScratchFolder folder;
  ScratchRecord record;
  Phase() { DeleteTree(HKEY_CURRENT_USER, kCountersKey); g_sent.clear(); }
  ~Phase() { DeleteTree(HKEY_CURRENT_USER, kCountersKey); }
  // Without its spy the phase does not run, and the caller's line fails.
  void Run(const std::string& files, int line = __builtin_LINE()) const {
    record.SetValue("FILES", REG_SZ, files);
    uninstall::SetUninstallKeyName(record.Name());
    Spy<decltype(&SendDlgItemMessageA)> spy("user32.dll", "SendDlgItemMessageA", nullptr, &RecordSent);
    if (spy.Swapped()) return uninstall::RemoveInstalledFiles();
    ADD_FAILURE_AT(__FILE__, line) << "SendDlgItemMessageA cannot be watched";
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
  SetCounter(once, 1);
  SetCounter(shared, 2);
  SetCounter(twice, 2);
  SetCounter(amp, 1);
  SetCounter(missing, 1);
  SetCounter("", 3);
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
  EXPECT_EQ(g_sent[0].control, IDC_PROGRESS_BAR);
  EXPECT_EQ(g_sent[0].message, static_cast<UINT>(PBM_SETRANGE32));
  EXPECT_EQ(g_sent[0].wParam, 0u);
  EXPECT_EQ(g_sent[0].lParam, 8);
  for (std::size_t i = 0; i < shown.size(); ++i) {
    const Sent& text = g_sent[1 + 2 * i];
    const Sent& position = g_sent[2 + 2 * i];
    EXPECT_EQ(text.control, IDC_FILE_NAME);
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
  SetCounter(first, 1);
  SetCounter(bad, REG_SZ, std::string("ab\0", 3));
  SetCounter(later, 1);
  EXPECT_EQ(RaisedBy([&] { phase.Run(first + "\r\n" + bad + "\r\n" + later); }),
            "ERegistryException: Invalid data type for '" + bad + "'");
  EXPECT_TRUE(ui::LiveDialogs().empty());
  EXPECT_EQ(FindWindowA("#32770", "Removing files"), nullptr);
  EXPECT_FALSE(Exists(first));
  EXPECT_TRUE(Exists(later));
  EXPECT_EQ(CountOf(later), 1);
}

namespace {

// The n-th call of the spied function acts, once it has returned, as if a
// dialog handler had failed while the window system ran it.
int g_callsBeforeFailure = 0;

template <typename Function>
std::shared_ptr<void> FailInsideTheWindowSystem(const char* function) {
  return std::make_shared<Spy<Function>>("user32.dll", function, nullptr, [](auto...) {
    if (g_callsBeforeFailure-- == 0)
      ui::KeepDialogFailure(std::make_exception_ptr(platform::ERegistryException("handler failed", nullptr)));
  });
}

}  // namespace

TEST(RemovingFiles, AHandlerFailureIsRaisedAtTheNextStepWhateverCallRanIt) {
  using Send = decltype(&SendDlgItemMessageA);
  const struct Step {
    const char* function;
    std::shared_ptr<void> (*fail)(const char*);
    int callsBefore;
    int filesRemoved;
  } steps[] = {{"CreateDialogParamA", &FailInsideTheWindowSystem<decltype(&CreateDialogParamA)>, 0, 0},
               {"SendDlgItemMessageA", &FailInsideTheWindowSystem<Send>, 0, 0},  // the bar's range
               {"ShowWindow", &FailInsideTheWindowSystem<decltype(&ShowWindow)>, 0, 0},
               {"SendDlgItemMessageA", &FailInsideTheWindowSystem<Send>, 2, 1},  // the first position
               {"SendDlgItemMessageA", &FailInsideTheWindowSystem<Send>, 4, 2},  // the last position
               {"DestroyWindow", &FailInsideTheWindowSystem<decltype(&DestroyWindow)>, 0, 2}};
  for (const Step& step : steps) {
    SCOPED_TRACE(std::string(step.function) + " " + std::to_string(step.callsBefore));
    Phase phase;
    const std::string files[] = {phase.folder.File("a.dll"), phase.folder.File("b.dll")};
    for (const std::string& f : files) WriteBytes(f, "x"), SetCounter(f, 1);
    phase.record.SetValue("FILES", REG_SZ, files[0] + "\r\n" + files[1]);
    uninstall::SetUninstallKeyName(phase.record.Name());
    const std::shared_ptr<void> spy = step.fail(step.function);
    g_callsBeforeFailure = step.callsBefore;
    EXPECT_THROW(uninstall::RemoveInstalledFiles(), platform::ERegistryException);
    EXPECT_EQ(!Exists(files[0]) + !Exists(files[1]), step.filesRemoved);
    EXPECT_TRUE(ui::LiveDialogs().empty());
    EXPECT_EQ(FindWindowA("#32770", "Removing files"), nullptr);
    EXPECT_NO_THROW(ui::RaisePendingDialogFailure());  // nothing stays pending
  }
}

// A claimed stretch (64 at most) ends before a name it holds, case ignored, wherever in its order.
TEST(RemovingFiles, AClaimedStretchEndsBeforeANameThatItHoldsAlready) {
  std::string many;
  for (int i = 0; i < 70; ++i) many += "f" + std::to_string(100 + i) + "\r\n";
  const std::pair<std::string, std::size_t> rows[] = {{"x\r\ny\r\nz\r\nw\r\nY\r\nv", 4}, {"m\r\nc\r\nt\r\na\r\nC", 4},
                                                      {"a\r\naa\r\naaa\r\nAA", 3}, {"\r\n\r\nb", 1}, {many, 64}};
  for (const auto& [lines, claimed] : rows) {
    platform::LineList files;
    files.AssignText(lines);
    EXPECT_EQ(uninstall::ClaimFiles(files, 0).size(), claimed) << lines;
  }
}
