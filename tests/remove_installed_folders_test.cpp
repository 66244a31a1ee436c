#include <gtest/gtest.h>

#include <windows.h>

#include "tests/support/import_swap.h"
#include "tests/support/scratch.h"
#include "uninstall/remove_installed_folders.h"
#include "uninstall/uninstall_run.h"

using namespace testing_support;
using Paths = std::vector<std::string>;

namespace {

// Real folders P, P\Lib and P\Help in a scratch folder, and a record naming them.
struct Phase {
  ScratchFolder scratch;
  ScratchRecord record;
  std::string p = scratch.File("P"), lib = p + "\\Lib", help = p + "\\Help";
  Phase() { for (const std::string& f : {p, lib, help}) CreateDirectoryA(f.c_str(), nullptr); }
  Paths Run(const Paths& folders) const {
    std::string text;
    for (const std::string& f : folders) text += f + "\r\n";
    record.SetValue("FOLDERS", REG_SZ, text);
    uninstall::SetUninstallKeyName(record.Name());
    Paths removed;
    Spy<decltype(&RemoveDirectoryA)> spy("kernel32.dll", "RemoveDirectoryA", [&](LPCSTR path) { removed.push_back(path); });
    EXPECT_TRUE(spy.Swapped());
    uninstall::RemoveInstalledFolders();
    return removed;
  }
};

}  // namespace

TEST(RemovingFolders, SubfoldersGoBeforeTheirParentWhateverTheStoredOrderAndCase) {
  for (bool lowerParentLast : {false, true}) {
    Phase phase;
    std::string parent = phase.p;
    if (lowerParentLast) CharLowerBuffA(&parent[0], static_cast<DWORD>(parent.size()));
    const Paths stored = lowerParentLast ? Paths{phase.lib, phase.help, parent} : Paths{parent, phase.lib, phase.help};
    EXPECT_EQ(phase.Run(stored), (Paths{phase.lib, phase.help, parent}));
    EXPECT_FALSE(Exists(phase.p));
  }
}

TEST(RemovingFolders, AFolderKeptByASparedFileKeepsItsParentsAndMissingOnesArePassedOver) {
  Phase phase;
  const std::string sub = phase.lib + "\\Sub";
  const std::string missing = phase.p + "\\Missing";
  CreateDirectoryA(sub.c_str(), nullptr);
  WriteBytes(sub + "\\shared.dll", "x");
  EXPECT_EQ(phase.Run({phase.p, missing, phase.help, phase.lib, sub}), (Paths{missing, sub, phase.lib, phase.help, phase.p}));
  EXPECT_TRUE(Exists(sub + "\\shared.dll"));
  EXPECT_FALSE(Exists(phase.help));
}

TEST(RemovingFolders, AnEmptyListMakesNoCall) {
  Phase phase;
  EXPECT_EQ(phase.Run({}), Paths{});
  EXPECT_TRUE(Exists(phase.help));
}

// The tests' own spies: two of one signature at once each see their own calls.
TEST(RemovingFolders, ASpyOfDeleteFileAndOneOfRemoveDirectoryEachSeeOnlyTheirOwnCalls) {
  Phase phase;
  const std::string file = phase.lib + "\\a.dcu";
  WriteBytes(file, "x");
  Paths deleted;
  Paths removed;
  {
    Spy<decltype(&DeleteFileA)> deletes("kernel32.dll", "DeleteFileA", [&](LPCSTR path) { deleted.push_back(path); });
    Spy<decltype(&RemoveDirectoryA)> removes("kernel32.dll", "RemoveDirectoryA", [&](LPCSTR path) { removed.push_back(path); });
    RemoveFolderTree(phase.lib);
  }
  EXPECT_EQ(deleted, Paths{file});
  EXPECT_EQ(removed, Paths{phase.lib});
}
