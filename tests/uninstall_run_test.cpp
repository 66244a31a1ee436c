#include <gtest/gtest.h>

#include "tests/support/boxes.h"
#include "tests/support/import_swap.h"
#include "tests/support/scratch.h"
#include "uninstall/uninstall_run.h"

using namespace testing_support;

namespace {

const char kRefusal[] = "Do not call this program directly.\r\nUse Add/Remove Programs to remove this application.";

// The uninstaller, copied into a scratch folder and started with arguments.
struct Uninstaller {
  ScratchFolder folder;
  std::string exe = folder.File("uninstall.exe");
  Uninstaller() { CopyUninstallProgram(exe); }
  // A completed run removes the program file through its batch file, which
  // may still be running: it goes before the folder does.
  ~Uninstaller() {
    if (Exists(folder.File("$delme.bat"))) GoneWithin({exe, folder.File("$delme.bat")}, 10000);
  }
  std::vector<SeenBox> Run(const std::string& arguments, int confirmAnswer, DWORD* exitCode) const {
    return RunAndAnswer("\"" + exe + "\"" + arguments, {{"Uninstall", confirmAnswer}}, exitCode);
  }
};

// The names of the uninstall records, in enumeration order, less the scratch
// and sample records that other test programs may make meanwhile.
std::vector<std::string> RecordNames() {
  const platform::UniqueRegKey parent = OpenKey(HKEY_LOCAL_MACHINE, UninstallKeyPath(""));
  std::vector<std::string> names;
  char name[256];
  for (DWORD i = 0, length = sizeof name; RegEnumKeyExA(parent.Get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
       ++i, length = sizeof name) {
    const std::string found(name, length);
    if (found.rfind("QnlTestRecord-", 0) != 0 && found != "Quenlar Sample Library") names.push_back(found);
  }
  return names;
}

LPSTR WINAPI CommandLineWithoutArgument() { return const_cast<LPSTR>("\"C:\\P\\uninstall.exe\""); }

}  // namespace

TEST(UninstallEntry, WithoutArgumentOrWithOnlyEmptyQuotesItRefusesAndLeavesTheRegistry) {
  Uninstaller uninstaller;
  for (const char* arguments : {"", " \"\""}) {
    SCOPED_TRACE(arguments);
    DWORD exitCode = 0;
    const std::vector<std::string> before = RecordNames();
    const auto boxes = uninstaller.Run(arguments, IDOK, &exitCode);
    EXPECT_EQ(RecordNames(), before);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Uninstall");
    EXPECT_EQ(boxes[0].text, kRefusal);
    EXPECT_EQ(boxes[0].buttons, std::vector<int>{IDOK});
    EXPECT_EQ(exitCode, 0u);
  }
}

TEST(UninstallEntry, TheConfirmationNamesTheRecordWholeAndOnlyYesGoesOn) {
  ScratchRecord record;
  const std::string spaced = record.Name() + " With Spaces";
  DeleteTree(HKEY_LOCAL_MACHINE, UninstallKeyPath(spaced));
  SetRegistryValue(HKEY_LOCAL_MACHINE, UninstallKeyPath(spaced), "PRODUCTNAME", REG_SZ, std::string("P\0", 2));
  const struct {
    std::string arguments;
    std::string name;
    int answer;
  } runs[] = {{" " + record.Name(), record.Name(), IDNO},  // no record is made
              {" \"" + spaced + "\"", spaced, IDYES},      // quoted with spaces: its record is deleted
              {" " + record.Name() + " ignored words", record.Name(), IDYES}};  // a missing record stays missing
  for (const auto& run : runs) {
    SCOPED_TRACE(run.arguments);
    const Uninstaller uninstaller;
    DWORD exitCode = 1;
    const auto boxes = uninstaller.Run(run.arguments, run.answer, &exitCode);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Are you sure you want to completely remove the " + run.name + "?");
    EXPECT_EQ(boxes[0].buttons, (std::vector<int>{IDYES, IDNO}));
    EXPECT_EQ(exitCode, 0u);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, UninstallKeyPath(run.name)));
  }
}

TEST(UninstallEntry, TheRefusalShowsTheErrorIconAndTheConfirmationTheQuestionIcon) {
  {
    ImportSwap swap("kernel32.dll", "GetCommandLineA", reinterpret_cast<const void*>(&CommandLineWithoutArgument));
    ASSERT_TRUE(swap.Swapped());
    BoxAnswerer refusal("Uninstall", IDOK);
    uninstall::UninstallEntry();
    EXPECT_EQ(refusal.Seen().text, kRefusal);
    EXPECT_EQ(refusal.Seen().icon, LoadIconA(nullptr, IDI_HAND));
  }
  uninstall::SetUninstallKeyName("Some Product");
  BoxAnswerer confirmation("Uninstall", IDNO);
  EXPECT_FALSE(uninstall::ConfirmUninstall());
  EXPECT_EQ(confirmation.Seen().icon, LoadIconA(nullptr, IDI_QUESTION));
  EXPECT_EQ(confirmation.Seen().buttons, (std::vector<int>{IDYES, IDNO}));
}
