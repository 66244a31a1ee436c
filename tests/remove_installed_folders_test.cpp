#include <gtest/gtest.h>

#include <windows.h>

#include "tests/support/import_swap.h"
#include "tests/support/scratch.h"
#include "uninstall/remove_installed_folders.h"
#include "uninstall/uninstall_run.h"

using namespace testing_support;
using Paths = std::vector<std::string>;

namespace {

Paths g_removed;
decltype(&RemoveDirectoryA) g_realRemove = nullptr;

BOOL WINAPI RecordingRemove(LPCSTR path) {
  g_removed.push_back(path);
  return g_realRemove(path);
}

// Real folders P, P\Lib and P\Help in a scratch folder, and a record naming them.
struct Phase {
  ScratchFolder scratch;
  ScratchRecord record;
  std::string p = scratch.File("P"), lib = p + "\\Lib", help = p + "\\Help";
  Phase() { for (const std::string& f : {p, lib, help}) CreateDirectoryA(f.c_str(), nullptr); }
  Paths Run(const Paths& folders) {
    std::string text;
    for (const std::string& f : folders) text += f + "\r\n";
    record.SetValue("FOLDERS", REG_SZ, text);
    uninstall::SetUninstallKeyName(record.Name());
    g_removed.clear();
    ImportSwap swap("kernel32.dll", "RemoveDirectoryA", reinterpret_cast<const void*>(&RecordingRemove));
    g_realRemove = reinterpret_cast<decltype(&RemoveDirectoryA)>(swap.Original());
    EXPECT_TRUE(swap.Swapped());
    uninstall::RemoveInstalledFolders();
    return g_removed;
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
  const std::string sub = phase.lib + "\\Sub", missing = phase.p + "\\Missing";
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
