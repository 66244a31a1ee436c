#include <gtest/gtest.h>

#include <optional>

#include "platform/registry_session.h"
#include "tests/support/import_swap.h"
#include "tests/support/raised.h"
#include "tests/support/scratch.h"

using platform::KeyInfo;
using platform::LineList;
using platform::RegistrySession;
using namespace testing_support;

namespace {

const std::string kScratch = "Software\\QuenlarTest\\Registry";

// A scratch key below HKEY_CURRENT_USER with helpers to fill it directly.
struct ScratchKey {
  ScratchKey() { DeleteTree(HKEY_CURRENT_USER, kScratch); Create(""); }
  ~ScratchKey() { DeleteTree(HKEY_CURRENT_USER, kScratch); }
  static std::string Path(const std::string& sub) { return sub.empty() ? kScratch : kScratch + "\\" + sub; }
  static void Create(const std::string& sub) { CreateKey(HKEY_CURRENT_USER, Path(sub)); }
  static void Set(const std::string& name, DWORD type, const std::string& data) {
    SetRegistryValue(HKEY_CURRENT_USER, kScratch, name, type, data);
  }
  static bool Exists(const std::string& sub) { return KeyExists(HKEY_CURRENT_USER, Path(sub)); }
};

}  // namespace

TEST(RegistryPaths, RelativePathsJoinTheCurrentPathAndAFailedOpenKeepsTheKey) {
  ScratchKey scratch;
  ScratchKey::Create("Sub");
  RegistrySession registry;
  ASSERT_TRUE(registry.OpenPath("\\" + kScratch));
  EXPECT_EQ(registry.CurrentPath(), kScratch);
  ASSERT_TRUE(registry.OpenPath("Sub"));
  EXPECT_EQ(registry.CurrentPath(), kScratch + "\\Sub");
  EXPECT_FALSE(registry.OpenPath("Missing"));
  EXPECT_EQ(registry.CurrentPath(), kScratch + "\\Sub");
  EXPECT_NE(registry.CurrentKey(), nullptr);
  registry.CloseCurrent();
  ASSERT_TRUE(registry.OpenPath(kScratch));  // relative to the root while no key is open
  EXPECT_EQ(registry.CurrentPath(), kScratch);
  registry.SetRoot(HKEY_CURRENT_USER);
  EXPECT_NE(registry.CurrentKey(), nullptr);
  registry.SetRoot(HKEY_LOCAL_MACHINE);
  EXPECT_EQ(registry.CurrentKey(), nullptr);
  EXPECT_EQ(registry.CurrentPath(), "");
}

TEST(RegistryValues, TextIsReadByTypeAndSize) {
  ScratchKey scratch;
  ScratchKey::Set("Sz", REG_SZ, std::string("C:\\D5\0", 6));
  ScratchKey::Set("Expand", REG_EXPAND_SZ, std::string("%WINDIR%\\x\0", 11));
  ScratchKey::Set("Dword", REG_DWORD, std::string("\1\0\0\0", 4));
  ScratchKey::Set("EmptyDword", REG_DWORD, "");
  RegistrySession registry;
  ASSERT_TRUE(registry.OpenPath("\\" + kScratch));
  EXPECT_EQ(registry.ReadText("sz"), "C:\\D5");
  EXPECT_EQ(registry.ReadText("Expand"), "%WINDIR%\\x");
  EXPECT_EQ(registry.ReadText("Missing"), "");
  EXPECT_EQ(registry.ReadText("EmptyDword"), "");
  EXPECT_EQ(RaisedBy([&] { registry.ReadText("Dword"); }), "ERegistryException: Invalid data type for 'Dword'");
}

TEST(RegistryValues, NumbersAreFourByteDwordsOnly) {
  ScratchKey scratch;
  ScratchKey::Set("Two", REG_SZ, std::string("ab\0", 3));
  ScratchKey::Set("Ten", REG_SZ, std::string("abcdefghij\0", 11));
  RegistrySession registry;
  ASSERT_TRUE(registry.OpenPath("\\" + kScratch));
  EXPECT_EQ(RaisedBy([&] { registry.ReadNumber("Missing"); }), "ERegistryException: Failed to get data for 'Missing'");
  EXPECT_EQ(RaisedBy([&] { registry.ReadNumber("Two"); }), "ERegistryException: Invalid data type for 'Two'");
  EXPECT_EQ(RaisedBy([&] { registry.ReadNumber("Ten"); }), "ERegistryException: Failed to get data for 'Ten'");
  registry.WriteNumber("Count", -1);
  EXPECT_EQ(registry.ReadNumber("count"), -1);
  EXPECT_EQ(ReadRegistryValue(HKEY_CURRENT_USER, kScratch, "Count"), (RegistryValue{REG_DWORD, "\xFF\xFF\xFF\xFF"}));
  EXPECT_TRUE(registry.HasValue("COUNT"));
  EXPECT_TRUE(registry.RemoveValue("Count"));
  EXPECT_FALSE(registry.RemoveValue("Count"));
  EXPECT_FALSE(registry.HasValue("Count"));
}

TEST(RegistryValues, ARefusedWriteRaisesAndLeavesTheValue) {
  ScratchKey scratch;
  ScratchKey::Set("Count", REG_DWORD, std::string("\3\0\0\0", 4));
  RegistrySession registry;
  ASSERT_TRUE(registry.OpenPath("\\" + kScratch));
  {
    ImportSwap swap("advapi32.dll", "RegSetValueExA", reinterpret_cast<const void*>(&RefusedRegistryWrite));
    ASSERT_TRUE(swap.Swapped());
    EXPECT_EQ(RaisedBy([&] { registry.WriteNumber("Count", 2); }), "ERegistryException: Failed to set data for 'Count'");
  }
  EXPECT_EQ(registry.ReadNumber("Count"), 3);
}

TEST(RegistryKeys, RemoveKeyTakesTheWholeSubtreeAlsoOfTheCurrentKey) {
  ScratchKey scratch;
  for (const char* sub : {"Tree\\A\\A1", "Tree\\A\\A2\\Deep", "Tree\\B"}) ScratchKey::Create(sub);
  RegistrySession registry;
  ASSERT_TRUE(registry.OpenPath("\\" + ScratchKey::Path("Tree")));
  EXPECT_TRUE(registry.RemoveKey("\\" + ScratchKey::Path("Tree")));
  EXPECT_FALSE(ScratchKey::Exists("Tree"));
  EXPECT_EQ(registry.CurrentPath(), ScratchKey::Path("Tree"));
  registry.CloseCurrent();
  EXPECT_FALSE(registry.RemoveKey("\\" + ScratchKey::Path("Tree")));
}

namespace {

using QueryInfoSpy = Spy<decltype(&RegQueryInfoKeyA)>;

// Reports the longest names as one character: what a name's ANSI form longer
// than the reported length (a double-byte code page) makes the listing meet.
void ShortenNames(HKEY, LPSTR, LPDWORD, LPDWORD, LPDWORD, LPDWORD maxSubkeyLen, LPDWORD, LPDWORD,
                  LPDWORD maxValueNameLen, LPDWORD, LPDWORD, PFILETIME) {
  if (maxSubkeyLen) *maxSubkeyLen = 1;
  if (maxValueNameLen) *maxValueNameLen = 1;
}

// The names as the registry itself enumerates them.
std::vector<std::string> Enumerated(bool subkeys) {
  const platform::UniqueRegKey key = OpenKey(HKEY_CURRENT_USER, kScratch);
  std::vector<std::string> names;
  char name[256];
  for (DWORD i = 0;; ++i) {
    DWORD length = sizeof name;
    const LONG result = subkeys ? RegEnumKeyExA(key.Get(), i, name, &length, nullptr, nullptr, nullptr, nullptr)
                                : RegEnumValueA(key.Get(), i, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (result != ERROR_SUCCESS) break;
    names.emplace_back(name, length);
  }
  return names;
}

}  // namespace

TEST(RegistryKeys, ListsEveryNameInEnumerationOrderWithTheDefaultValueAsEmptyName) {
  ScratchKey scratch;
  for (const char* name : {"Zeta", "Alpha", "", "Middle value"}) ScratchKey::Set(name, REG_SZ, "1");
  for (const char* sub : {"K2", "A longer subkey", "K1"}) ScratchKey::Create(sub);
  RegistrySession registry;
  LineList names;
  KeyInfo info;
  EXPECT_FALSE(registry.QueryKeyInfo(info));
  EXPECT_EQ(info.ValueCount, 0u);
  registry.ListValueNames(names);
  EXPECT_EQ(names.LineCount(), 0);
  ASSERT_TRUE(registry.OpenPath("\\" + kScratch));
  EXPECT_TRUE(registry.QueryKeyInfo(info));
  EXPECT_EQ(info.SubkeyCount, 3u);
  EXPECT_EQ(info.MaxValueNameLength, 12u);
  for (const bool shortNames : {false, true}) {
    SCOPED_TRACE(shortNames ? "reported lengths too short" : "reported lengths");
    std::optional<QueryInfoSpy> spy;
    if (shortNames) spy.emplace("advapi32.dll", "RegQueryInfoKeyA", nullptr, &ShortenNames);
    registry.ListValueNames(names);
    EXPECT_EQ(LinesOf(names), Enumerated(false));
    EXPECT_EQ(names.LineCount(), 4);
    registry.ListSubkeys(names);
    EXPECT_EQ(LinesOf(names), Enumerated(true));
    EXPECT_EQ(names.LineCount(), 3);
  }
  const QueryInfoSpy spy("advapi32.dll", "RegQueryInfoKeyA", nullptr, &ShortenNames);
  EXPECT_TRUE(registry.RemoveKey("\\" + kScratch));  // its subkeys with long names go first
  EXPECT_FALSE(ScratchKey::Exists(""));
}
