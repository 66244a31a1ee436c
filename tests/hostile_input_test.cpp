#include <gtest/gtest.h>

#include "platform/line_list.h"
#include "setup/uninstall_record.h"
#include "tests/support/borland_key.h"
#include "tests/support/in_process_run.h"
#include "tests/support/product_keys.h"
#include "tests/support/sample_installation.h"
#include "tests/support/scratch.h"

using namespace testing_support;

namespace {

// Every byte but CR, LF and NUL: junk that stays within one line.
std::string LineJunk() {
  std::string junk;
  for (int b = 14; b < 256; ++b) junk += static_cast<char>(b);
  return junk;
}
// A NUL, then every byte: what follows a NUL is no text.
std::string Tail() {
  std::string tail(1, '\0');
  for (int b = 0; b < 256; ++b) tail += static_cast<char>(b);
  return tail;
}

// Runs the uninstaller in this program on a record; the program file lies in
// the folder and is removed at the end of a complete run.
EntryOutcome RunFrom(const ScratchFolder& folder, const std::string& arguments) {
  WriteBytes(folder.File("uninstall.exe"), "MZ");
  return RunEntryInProcess(folder.File("uninstall.exe"), arguments, {{"Uninstall", IDYES}});
}

}  // namespace

TEST(HostileInput, HugeListsValuesAndFilesAreWorkedThroughWhole) {
  ScratchFolder folder;
  ScratchRecord record;
  BorlandKey delphi5(6);
  delphi5.SetRootDir(folder.Path());
  CreateDirectoryA(folder.File("HELP").c_str(), nullptr);
  std::string files;
  std::string contents;
  std::string kept;
  for (int i = 0; i < 10000; ++i) files += folder.File("f" + std::to_string(i) + ".dcu\r\n");
  for (int i = 0; i < 100000; ++i) {
    const std::string line = ":Index Topic " + std::to_string(i) + "=t" + std::to_string(i) + ".hlp\r\n";
    contents += line;
    if (i != 0 && i != 99999) kept += line;
  }
  WriteBytes(folder.File("HELP\\delphi5.cnt"), contents + ":Index Q=q.hlp\r\n");
  WriteBytes(folder.File("f9999.dcu"), "x");
  SetCounter(folder.File("f9999.dcu"), 1);
  record.SetValue("FILES", REG_SZ, files);
  record.SetValue("FOLDERS", REG_SZ, std::string(1 << 20, 'x'));  // one 1 MiB folder name
  record.SetValue("INSTALLEDHELPS", REG_SZ, "t99999.hlp\r\nq.hlp\r\nt0.hlp");
  EXPECT_EQ(setup::ReadUninstallValue(record.Name(), "FOLDERS").size(), 1u << 20);
  const EntryOutcome outcome = RunFrom(folder, " " + record.Name());
  EXPECT_EQ(outcome.exitCode, 0);
  EXPECT_FALSE(Exists(folder.File("f9999.dcu")));
  EXPECT_EQ(ReadBytes(folder.File("HELP\\delphi5.cnt")), kept);
  EXPECT_FALSE(record.Exists());
}

TEST(HostileInput, JunkAndNulBytesInEveryValueAndFileEndNothingAndLoseNothing) {
  ScratchFolder folder;
  ScratchRecord record;
  BorlandKey delphi5(6);
  delphi5.SetRootDir(REG_SZ, folder.Path() + Tail());  // RootDir ends at its NUL
  CreateDirectoryA(folder.File("HELP").c_str(), nullptr);
  WriteBytes(folder.File("HELP\\delphi5.cnt"), "a=" + LineJunk() + "\r\nb=q.hlp\r\nc=x\r\n" + Tail());
  const std::string product = "QnlJunk" + LineJunk().substr(20, 50);
  const std::string productKey = ProductKey(product);
  SetRegistryValue(HKEY_CURRENT_USER, productKey, "FolderName", REG_SZ, folder.Path() + Tail());
  SetRegistryValue(HKEY_CURRENT_USER, productKey, "Kept", REG_SZ, "1");
  CreateDirectoryA(folder.File("units").c_str(), nullptr);
  WriteBytes(folder.File("units\\prod.inc"), "{$DEFINE Kept}\r\n" + LineJunk() + "\r\n" + Tail());
  for (const char* name : {"FILES", "FOLDERS", "SUBPRODUCTNAME", "DELPHIVER"})
    record.SetValue(name, REG_BINARY, LineJunk() + "\r\n\n\r" + LineJunk() + Tail());
  record.SetValue("INSTALLEDHELPS", REG_BINARY, "q.hlp\r\n" + LineJunk().substr(1) + Tail());
  record.SetValue("PRODUCTNAME", REG_BINARY, product + Tail());
  const EntryOutcome outcome = RunFrom(folder, " " + record.Name());
  EXPECT_EQ(KeyContents(HKEY_CURRENT_USER, productKey).back(), "Kept=1");
  DeleteTree(HKEY_CURRENT_USER, productKey);
  EXPECT_EQ(outcome.exitCode, 0);
  // Junk in a line stays as it is, and the bytes from a NUL on are written back.
  EXPECT_EQ(ReadBytes(folder.File("HELP\\delphi5.cnt")), "a=" + LineJunk() + "\r\nc=x\r\n" + Tail());
  EXPECT_EQ(ReadBytes(folder.File("units\\prod.inc")), "  {$DEFINE Kept}\r\n" + LineJunk() + "\r\n" + Tail());
  EXPECT_FALSE(record.Exists());
}

TEST(HostileInput, NamesAndPathsAtTheirLimitsAndAHugeCommandLine) {
  ScratchFolder folder;
  // A record name of 255 characters, the registry's limit, is read and deleted.
  const std::string longName = "QnlLimit" + std::string(247, 'k');
  SetRegistryValue(HKEY_LOCAL_MACHINE, UninstallKeyPath(longName), "PRODUCTNAME", REG_SZ, "");
  // Files of 259 characters, the longest that the ANSI calls reach, are
  // deleted; a listed path of 260 characters is passed over.
  const std::string deep = folder.File(std::string(100, 'd') + "\\" + std::string(100, 'e'));
  CreateDirectoryA(folder.File(std::string(100, 'd')).c_str(), nullptr);
  CreateDirectoryA(deep.c_str(), nullptr);
  const std::string file259 = deep + "\\" + std::string(258 - deep.size(), 'f');
  const std::string file260 = file259 + "g";
  WriteBytes(file259, "x");
  for (const std::string& file : {file259, file260})
    SetCounter(file, 1);
  SetRegistryValue(HKEY_LOCAL_MACHINE, UninstallKeyPath(longName), "FILES", REG_SZ, file259 + "\r\n" + file260);
  EntryOutcome outcome = RunFrom(folder, " " + longName);
  EXPECT_EQ(outcome.exitCode, 0);
  EXPECT_EQ(file259.size(), 259u);
  EXPECT_FALSE(Exists(file259));
  EXPECT_TRUE(KeyContents(HKEY_LOCAL_MACHINE, UninstallKeyPath(longName)).empty());
  DeleteTree(HKEY_CURRENT_USER, kCountersKey);

  // A command line of 32 KiB: its word names no record (the registry refuses
  // such a name), every value reads empty, and the confirmation shows the
  // first 4,096 characters of its text.
  outcome = RunFrom(folder, " " + std::string(32 * 1024 - 300, 'w'));
  EXPECT_EQ(outcome.exitCode, 0);
  ASSERT_EQ(outcome.boxes.size(), 1u);
  EXPECT_EQ(outcome.boxes[0].text.size(), 4096u);
  EXPECT_FALSE(Exists(folder.File("uninstall.exe")));
}
