#include <gtest/gtest.h>

#include <cstring>
#include <regex>

#include "platform/errors.h"
#include "platform/failure_report.h"
#include "tests/support/boxes.h"
#include "tests/support/import_swap.h"
#include "tests/support/scratch.h"

using namespace testing_support;

namespace {

struct Outcome {
  std::vector<SeenBox> boxes;
  DWORD exitCode;
};

Outcome RunRaiser(const std::string& mode) {
  Outcome outcome;
  outcome.boxes = RunAndAnswer("\"" + ProgramPath("error_raiser.exe") + "\" " + mode, {}, &outcome.exitCode);
  return outcome;
}

void ExpectOneFailureBox(const std::string& mode, const std::string& kind, const std::string& message) {
  SCOPED_TRACE(mode);
  const Outcome outcome = RunRaiser(mode);
  ASSERT_EQ(outcome.boxes.size(), 1u);
  const SeenBox& box = outcome.boxes[0];
  EXPECT_EQ(box.caption, "Application Error");
  EXPECT_EQ(box.buttons, std::vector<int>{IDOK});
  const std::regex form("Exception " + kind + " in module error_raiser\\.exe at [0-9A-F]{8}\\.\n");
  EXPECT_TRUE(std::regex_search(box.text, form)) << box.text;
  EXPECT_EQ(box.text.substr(box.text.find('\n') + 1), message);
  EXPECT_EQ(outcome.exitCode, 1u);
}

}  // namespace

TEST(FailureReporting, EachErrorKindGivesOneApplicationErrorBoxAndExitCode1) {
  ExpectOneFailureBox("registry", "ERegistryException", "Invalid data type for 'RootDir'.");
  ExpectOneFailureBox("fopen", "EFOpenError", "Cannot open file C:\\x\\a.cnt.");
  ExpectOneFailureBox("fcreate", "EFCreateError", "Cannot create file C:\\x\\a.cnt.");
  ExpectOneFailureBox("write", "EWriteError", "Stream write error.");
  ExpectOneFailureBox("index", "EStringListError", "List index out of bounds (-1).");
  ExpectOneFailureBox("inout5", "EInOutError", "File access denied.");
  ExpectOneFailureBox("inout32", "EInOutError", "I/O error 32.");
  ExpectOneFailureBox("memory", "EOutOfMemory", "Out of memory.");
  ExpectOneFailureBox("length", "EOutOfMemory", "Out of memory.");  // a runtime exception of another kind
  ExpectOneFailureBox("range", "EOutOfMemory", "Out of memory.");   // and one raised with a formatted message
  // The standard library's own raises are the program's: they name the place that called the library.
  for (const char* mode : {"length", "range"})
    EXPECT_EQ(RunRaiser(mode).boxes.at(0).text.find(" at 00000000."), std::string::npos) << mode;
}

TEST(FailureReporting, AFailureOutsideTheHandlerGivesTheRuntimeErrorBoxAndExitCode217) {
  for (const char* mode : {"static-init", "static-exit"}) {
    SCOPED_TRACE(mode);
    const Outcome outcome = RunRaiser(mode);
    ASSERT_EQ(outcome.boxes.size(), 1u);
    EXPECT_EQ(outcome.boxes[0].caption, "Error");
    EXPECT_TRUE(std::regex_match(outcome.boxes[0].text, std::regex("Runtime error 217 at [0-9A-F]{8}")))
        << outcome.boxes[0].text;
    EXPECT_EQ(outcome.exitCode, 217u);
    EXPECT_EQ(outcome.boxes[0].icon, nullptr);
    EXPECT_EQ(outcome.boxes[0].buttons, std::vector<int>{IDOK});
  }
}

TEST(FailureReporting, TheBoxShowsTheErrorIconAndIsTaskModal) {
  HWND other = CreateWindowExA(0, "STATIC", "Other window", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, nullptr, nullptr,
                               nullptr, nullptr);
  BoxAnswerer answerer("Application Error", IDOK);
  platform::ReportFailure(platform::EWriteError("Stream write error", nullptr), nullptr);
  const SeenBox box = answerer.Seen();
  DestroyWindow(other);
  EXPECT_EQ(box.icon, LoadIconA(nullptr, IDI_HAND));
  EXPECT_EQ(box.buttons, std::vector<int>{IDOK});
  ASSERT_EQ(box.otherWindows.size(), 1u);
  EXPECT_EQ(box.otherWindows[0].title, "Other window");
  EXPECT_FALSE(box.otherWindows[0].enabled);
}

TEST(FailureReporting, TheTextKeepsExactly1024Characters) {
  const platform::EWriteError error(std::string(2000, 'x'), nullptr);
  EXPECT_EQ(platform::FailureText(error, nullptr).size(), 1024u);
}

TEST(FailureReporting, TheLocationIsTheRaiseSiteInsideTheModule) {
  try {
    platform::RaiseInOutError(2);
  } catch (const platform::EInOutError& error) {
    EXPECT_EQ(error.Code(), 2u);
    EXPECT_EQ(error.Message(), "File not found");
    const auto base = reinterpret_cast<std::uintptr_t>(GetModuleHandleA(nullptr));
    const auto where = reinterpret_cast<std::uintptr_t>(error.Location());
    EXPECT_GT(where, base);
    const std::string text = platform::FailureText(error, error.Location());
    char offset[16];
    wsprintfA(offset, "%08X", static_cast<unsigned>(where - base));
    EXPECT_NE(text.find(std::string(" at ") + offset + ".\nFile not found."), std::string::npos) << text;
  }
}

// The program's module in a folder chain of 300 characters, as Windows gives
// its name: cut to the buffer, the length reported being the buffer's.
DWORD WINAPI LongModuleFileName(HMODULE, LPSTR buffer, DWORD size) {
  const std::string path = "C:\\" + std::string(284, 'd') + "\\uninstall.exe";
  const DWORD length = static_cast<DWORD>(path.size()) < size ? static_cast<DWORD>(path.size()) : size;
  std::memcpy(buffer, path.c_str(), length);
  if (length < size) buffer[length] = '\0';
  return length;
}

TEST(FailureReporting, TheTextNamesTheModuleWhateverTheLengthOfItsPath) {
  const ImportSwap swap("kernel32.dll", "GetModuleFileNameA", reinterpret_cast<const void*>(&LongModuleFileName));
  ASSERT_TRUE(swap.Swapped());
  const std::string text = platform::FailureText(platform::EWriteError("Stream write error", nullptr), nullptr);
  EXPECT_EQ(text, "Exception EWriteError in module uninstall.exe at 00000000.\nStream write error.");
}
