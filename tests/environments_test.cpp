#include <gtest/gtest.h>

#include <windows.h>

#include "environments/environment_table.h"
#include "environments/help_folders.h"
#include "platform/unique_handle.h"
#include "tests/support/borland_key.h"
#include "tests/support/import_swap.h"
#include "tests/support/raised.h"
#include "tests/support/scratch.h"
#include "uninstall/remove_installed_helps.h"
#include "uninstall/uninstall_run.h"

using namespace testing_support;
using namespace environments;

namespace {

constexpr int kCBuilder3 = 3, kCBuilder4 = 5, kDelphi5 = 6;

// An environment whose RootDir is a scratch folder holding HELP, and a record.
struct Installed {
  ScratchFolder root;
  ScratchRecord record;
  BorlandKey key;
  int index;
  explicit Installed(int environment) : key(environment), index(environment) {
    key.SetRootDir(root.Path());
    CreateDirectoryA(root.File("HELP").c_str(), nullptr);
  }
  std::string Contents() const { return root.File("HELP\\") + EnvironmentAt(index).ContentsFileName; }
  void Run(const std::string& entries, const char* version = nullptr) const {
    record.SetValue("INSTALLEDHELPS", REG_SZ, entries);
    if (version) record.SetValue("DELPHIVER", REG_SZ, version);
    uninstall::SetUninstallKeyName(record.Name());
    uninstall::RemoveInstalledHelps();
  }
};

}  // namespace

TEST(HelpFolders, FollowRootDirWithOrWithoutFinalBackslashAndAreRelativeWithoutKey) {
  BorlandKey key(kDelphi5);
  for (const char* root : {"C:\\D5", "C:\\D5\\"}) {
    key.SetRootDir(root);
    EXPECT_EQ(EnvironmentRootDir(kDelphi5), root);
    EXPECT_EQ(EnvironmentHelpFolder(kDelphi5), "C:\\D5\\HELP\\");
    EXPECT_EQ(EnvironmentContentsFile(kDelphi5), "C:\\D5\\HELP\\delphi5.cnt");
  }
  key.SetRootDir(REG_DWORD, std::string("\1\0\0\0", 4));
  EXPECT_EQ(RaisedBy([] { EnvironmentContentsFile(kDelphi5); }), "ERegistryException: Invalid data type for 'RootDir'");
  if (BorlandKey(kCBuilder4).Existed()) GTEST_SKIP() << "C++Builder 4.0 is installed here";
  EXPECT_EQ(EnvironmentRootDir(kCBuilder4), "");
  EXPECT_EQ(EnvironmentContentsFile(kCBuilder4), "HELP\\bcb4.cnt");
}

TEST(RemovingHelps, EachEntryTakesTheFirstLineItNamesAndOnlyAChangedFileIsWritten) {
  const struct { const char* entries; const char* before; const char* after; } cases[] = {
      {"prod.hlp", "a\r\nProd Help=prod.hlp\r\nb\r\n", "a\r\nb\r\n"},
      {"PROD.HLP", "x=prod.hlp \r\ny=Prod.Hlp\r\n", "x=prod.hlp \r\n"},  // case ignored, a blank not
      {"c\r\nb=c", "a=b=c\r\nd=c\r\ne\r\n", "e\r\n"},                      // the first "=" decides
      {"x.hlp", "1=x.hlp\r\n2=x.hlp\r\n", "2=x.hlp\r\n"},
      {"x.hlp\r\nx.hlp", "1=x.hlp\r\nk\r\n2=x.hlp\r\n3=x.hlp\r\n", "k\r\n3=x.hlp\r\n"},
      {"prod.hlp", "a\nP=prod.hlp\nb", "a\r\nb\r\n"},
      {"none.hlp", "a\nb=c", "a\nb=c"},
      {"", "a\nb", "a\nb"},
      // An empty entry would take the first line without target.
      {"\r\nprod.hlp\r\n\r\n", ":Base x\r\nP=prod.hlp\r\nT=\r\n", ":Base x\r\nT=\r\n"},
      // A line without "=" has the empty target, which a soft hyphen (ignored
      // by the locale's comparison) names.
      {"\xAD", "a\r\nb=\r\n", "b=\r\n"},
      {"\xAD", "a\nb=x\n", "b=x\r\n"},
  };
  for (const auto& c : cases) {
    const Installed delphi5(kDelphi5);
    WriteBytes(delphi5.Contents(), c.before);
    delphi5.Run(c.entries);
    EXPECT_EQ(ReadBytes(delphi5.Contents()), c.after) << c.entries;
  }
}

TEST(RemovingHelps, DelphiverChoosesTheFileAndAMissingFileOrAFolderIsPassedOver) {
  const Installed cbuilder3(kCBuilder3);
  const Installed delphi5(kDelphi5);
  for (const Installed* environment : {&cbuilder3, &delphi5}) WriteBytes(environment->Contents(), "P=p.hlp\r\n");
  cbuilder3.Run("p.hlp", "C3");
  EXPECT_EQ(ReadBytes(cbuilder3.Contents()), "");
  EXPECT_EQ(ReadBytes(delphi5.Contents()), "P=p.hlp\r\n");

  const Installed empty(kDelphi5);
  empty.Run("p.hlp");
  EXPECT_FALSE(Exists(empty.Contents()));
  CreateDirectoryA(empty.Contents().c_str(), nullptr);
  empty.Run("p.hlp");
}

TEST(RemovingHelps, ALockedContentsFileFailsAndTheEarlierEntriesStayRemoved) {
  const Installed delphi5(kDelphi5);
  WriteBytes(delphi5.Contents(), "1=a.hlp\r\n2=b.hlp\r\n");
  platform::UniqueFile lock;
  {
    // Before the second load of the contents file, another holder opens it without sharing.
    int loads = 0;
    Spy<decltype(&CreateFileA)> spy("kernel32.dll", "CreateFileA",
        [&](LPCSTR path, DWORD access, DWORD, LPSECURITY_ATTRIBUTES, DWORD disposition, DWORD, HANDLE) {
          if (delphi5.Contents() == path && access == GENERIC_READ && disposition == OPEN_EXISTING && ++loads == 2)
            lock.Reset(CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        });
    ASSERT_TRUE(spy.Swapped());
    EXPECT_EQ(RaisedBy([&] { delphi5.Run("a.hlp\r\nb.hlp"); }), "EFOpenError: Cannot open file " + delphi5.Contents());
  }
  ASSERT_TRUE(lock.IsValid());
  lock.Reset();
  EXPECT_EQ(ReadBytes(delphi5.Contents()), "2=b.hlp\r\n");
}
