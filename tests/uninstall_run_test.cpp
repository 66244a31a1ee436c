#include <gtest/gtest.h>

#include "tests/support/borland_key.h"
#include "tests/support/boxes.h"
#include "tests/support/scratch.h"

using namespace testing_support;

namespace {

const char kRefusal[] = "Do not call this program directly.\r\nUse Add/Remove Programs to remove this application.";

// The uninstaller, copied into a scratch folder and started with arguments.
struct Uninstaller {
  ScratchFolder folder;
  std::string exe = folder.File("uninstall.exe");
  Uninstaller() { CopyFileA(ProgramPath("uninstall.exe").c_str(), exe.c_str(), FALSE); }
  std::vector<SeenBox> Run(const std::string& arguments, int confirmAnswer, DWORD* exitCode) {
    return RunAndAnswer("\"" + exe + "\"" + arguments, {{"Uninstall", confirmAnswer}}, exitCode);
  }
};

}  // namespace

TEST(UninstallEntry, WithoutArgumentOrWithOnlyEmptyQuotesItRefuses) {
  Uninstaller uninstaller;
  for (const char* arguments : {"", " \"\""}) {
    SCOPED_TRACE(arguments);
    DWORD exitCode = 0;
    const auto boxes = uninstaller.Run(arguments, IDOK, &exitCode);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Uninstall");
    EXPECT_EQ(boxes[0].text, kRefusal);
    EXPECT_EQ(boxes[0].buttons, std::vector<int>{IDOK});
    EXPECT_EQ(exitCode, 0u);
  }
}

TEST(UninstallEntry, AnsweringNoChangesNothing) {
  Uninstaller uninstaller;
  ScratchRecord record;
  DWORD exitCode = 1;
  const auto boxes = uninstaller.Run(" " + record.Name(), IDNO, &exitCode);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Are you sure you want to completely remove the " + record.Name() + "?");
  EXPECT_EQ(boxes[0].buttons, (std::vector<int>{IDYES, IDNO}));
  EXPECT_EQ(exitCode, 0u);
  EXPECT_FALSE(record.Exists());
}

TEST(UninstallEntry, AQuotedNameWithSpacesIsShownWholeAndItsRecordIsDeleted) {
  Uninstaller uninstaller;
  ScratchRecord record;
  const std::string name = record.Name() + " With Spaces";
  testing_support::DeleteTree(HKEY_LOCAL_MACHINE, UninstallKeyPath(name));
  HKEY key = nullptr;
  RegCreateKeyExA(HKEY_LOCAL_MACHINE, UninstallKeyPath(name).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
  RegSetValueExA(key, "PRODUCTNAME", 0, REG_SZ, reinterpret_cast<const BYTE*>("P"), 2);
  RegCloseKey(key);
  DWORD exitCode = 1;
  const auto boxes = uninstaller.Run(" \"" + name + "\"", IDYES, &exitCode);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Are you sure you want to completely remove the " + name + "?");
  EXPECT_EQ(exitCode, 0u);
  EXPECT_NE(RegOpenKeyExA(HKEY_LOCAL_MACHINE, UninstallKeyPath(name).c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
}

TEST(UninstallEntry, AnsweredYesForAMissingRecordEndsWithNoRecordAndExitCode0) {
  Uninstaller uninstaller;
  ScratchRecord record;
  DWORD exitCode = 1;
  const auto boxes = uninstaller.Run(" " + record.Name() + " ignored words", IDYES, &exitCode);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Are you sure you want to completely remove the " + record.Name() + "?");
  EXPECT_EQ(exitCode, 0u);
  EXPECT_FALSE(record.Exists());
}

TEST(UninstallEntry, AFailingHelpCleanupComesAfterTheFoldersAndKeepsTheRecord) {
  Uninstaller uninstaller;
  ScratchRecord record;
  BorlandKey delphi5(6);
  delphi5.SetRootDir(REG_DWORD, std::string("\1\0\0\0", 4));
  const std::string folder = uninstaller.folder.File("Lib");
  CreateDirectoryA(folder.c_str(), nullptr);
  record.SetValue("FOLDERS", REG_SZ, folder);
  DWORD exitCode = 0;
  const auto boxes = uninstaller.Run(" " + record.Name(), IDYES, &exitCode);
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[1].caption, "Application Error");
  EXPECT_NE(boxes[1].text.find("\nInvalid data type for 'RootDir'."), std::string::npos) << boxes[1].text;
  EXPECT_EQ(exitCode, 1u);
  EXPECT_FALSE(Exists(folder));
  EXPECT_TRUE(record.Exists());
}
