// An installation with Japanese folder and file names, undone under code
// page 932 in a Wine prefix of its own (tests/own_prefix.sh, locale
// ja_JP.UTF-8). The product folder, the environment's RootDir and the
// program's folder end in "表", whose second byte is 0x5C, the backslash.
#include <gtest/gtest.h>

#include "platform/unique_handle.h"
#include "tests/support/boxes.h"
#include "tests/support/scratch.h"

using namespace testing_support;

namespace {

// Code page 932 texts.
const std::string kHyo = "\x95\x5C";               // 表
const std::string kNouryoku = "\x94\x5C\x97\xCD";  // 能力
const std::string kProduct = "C:\\Q" + kHyo;
const std::string kRoot = "C:\\D" + kHyo;
const std::string kKeyName = "Quenlar " + kNouryoku;
const std::string kProductKey = "Software\\Quenlar\\InstalledProducts\\" + kNouryoku;
const std::string kDcu = kProduct + "\\Lib\\" + kNouryoku + ".dcu";
const std::string kProgram = kProduct + "\\uninst.exe";
const std::string kInclude = kProduct + "\\units\\prod.inc";
const std::string kContents = kRoot + "\\HELP\\delphi5.cnt";

void RemoveInstallation() {
  RemoveFolderTree(kProduct);
  RemoveFolderTree(kRoot);
  DeleteTree(HKEY_LOCAL_MACHINE, UninstallKeyPath(kKeyName));
  DeleteTree(HKEY_LOCAL_MACHINE, "Software\\Borland\\Delphi\\5.0");
  DeleteTree(HKEY_CURRENT_USER, "Software\\Quenlar");
}

void LayOutInstallation() {
  RemoveInstallation();
  for (const std::string& folder : {kProduct, kProduct + "\\Lib", kProduct + "\\units", kRoot, kRoot + "\\HELP"})
    CreateDirectoryA(folder.c_str(), nullptr);
  WriteBytes(kDcu, "unit");
  WriteBytes(kInclude, "{$DEFINE Grid}\r\n{$DEFINE Nouryoku}\r\n{$I vx.inc}\r\n");
  WriteBytes(kContents, ":Base delphi5.hlp\r\n:Index " + kNouryoku + "=" + kNouryoku + ".hlp\r\n");
  CopyUninstallProgram(kProgram);
  const std::string record = UninstallKeyPath(kKeyName);
  const auto text = [&](const char* name, const std::string& data) {
    SetRegistryValue(HKEY_LOCAL_MACHINE, record, name, REG_SZ, data + '\0');
  };
  text("FILES", kDcu);
  text("FOLDERS", kProduct + "\\Lib");
  text("INSTALLEDHELPS", kNouryoku + ".hlp");
  text("DELPHIVER", "D5");
  text("PRODUCTNAME", kNouryoku);
  text("SUBPRODUCTNAME", "Nouryoku");
  const std::string one("\1\0\0\0", 4);
  SetRegistryValue(HKEY_CURRENT_USER, "Software\\Quenlar\\InstalledFiles", kDcu, REG_DWORD, one);
  for (const char* subProduct : {"Grid", "Nouryoku"})
    SetRegistryValue(HKEY_CURRENT_USER, kProductKey, subProduct, REG_SZ, std::string("1") + '\0');
  SetRegistryValue(HKEY_CURRENT_USER, kProductKey, "FolderName", REG_SZ, kProduct + '\0');
  SetRegistryValue(HKEY_LOCAL_MACHINE, "Software\\Borland\\Delphi\\5.0", "RootDir", REG_SZ, kRoot + '\0');
}

}  // namespace

TEST(CodePage932, FoldersEndingInTheByte0x5CAreUndoneAsInCodePage1252) {
  ASSERT_EQ(GetACP(), 932u) << "run by tests/own_prefix.sh under the locale ja_JP.UTF-8";
  LayOutInstallation();
  {
    // Held open without delete sharing, the program file keeps the batch
    // file's loop, and so the batch file, alive until it is closed: one
    // written into "C:\" as "Q表$delme.bat" would still be there.
    const platform::UniqueFile held(CreateFileA(kProgram.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                nullptr, OPEN_EXISTING, 0, nullptr));
    DWORD exitCode = 0;
    const auto boxes = RunAndAnswer("\"" + kProgram + "\" \"" + kKeyName + "\"", {{"Uninstall", IDYES}}, &exitCode);
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_EQ(exitCode, 0u);
    EXPECT_TRUE(Exists(kProduct + "\\$delme.bat"));
    EXPECT_FALSE(Exists(kProduct + "$delme.bat"));
  }
  EXPECT_TRUE(GoneWithin({kProgram, kProduct + "\\$delme.bat"}, 20000));
  EXPECT_FALSE(Exists(kDcu));
  EXPECT_FALSE(Exists(kProduct + "\\Lib"));
  EXPECT_EQ(ReadBytes(kInclude), "  {$DEFINE Grid}\r\n//  {$DEFINE Nouryoku}\r\n{$I vx.inc}\r\n");
  EXPECT_EQ(ReadBytes(kContents), ":Base delphi5.hlp\r\n");
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, UninstallKeyPath(kKeyName)));
  RemoveInstallation();
}
