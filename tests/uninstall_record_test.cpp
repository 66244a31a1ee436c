#include <gtest/gtest.h>

#include "setup/uninstall_record.h"
#include "tests/support/import_swap.h"
#include "tests/support/scratch.h"

using namespace testing_support;
using setup::ReadUninstallValue;

TEST(UninstallRecord, ReadsTextUpToTheFirstNulWhateverTheType) {
  ScratchRecord record;
  record.SetValue("WITHNUL", REG_SZ, std::string("abc\0", 4));
  record.SetValue("NONUL", REG_SZ, "abc");
  record.SetValue("MULTI", REG_MULTI_SZ, std::string("one\0two\0\0", 9));
  record.SetValue("NUMBER", REG_DWORD, std::string("AB\0\0", 4));
  record.SetValue("EMPTY", REG_SZ, "");
  EXPECT_EQ(ReadUninstallValue(record.Name(), "withnul"), "abc");
  EXPECT_EQ(ReadUninstallValue(record.Name(), "NONUL"), "abc");
  EXPECT_EQ(ReadUninstallValue(record.Name(), "MULTI"), "one");
  EXPECT_EQ(ReadUninstallValue(record.Name(), "NUMBER"), "AB");
  EXPECT_EQ(ReadUninstallValue(record.Name(), "EMPTY"), "");
  EXPECT_EQ(ReadUninstallValue(record.Name(), "ABSENT"), "");
}

TEST(UninstallRecord, ReadingAMissingRecordLeavesAnEmptyRecordKey) {
  ScratchRecord record;
  EXPECT_FALSE(record.Exists());
  EXPECT_EQ(ReadUninstallValue(record.Name(), "FILES"), "");
  EXPECT_TRUE(record.Exists());
}

TEST(UninstallRecord, DeletingRemovesTheRecordWithItsValuesAndOnlyTheLastLevel) {
  ScratchRecord record;
  record.SetValue("FILES", REG_SZ, "C:\\a.dll");
  setup::DeleteUninstallRecord(record.Name());
  EXPECT_FALSE(record.Exists());
  setup::DeleteUninstallRecord(record.Name());  // already gone: nothing happens

  const std::string nested = record.Name() + "\\Inner";
  EXPECT_EQ(ReadUninstallValue(nested, "FILES"), "");
  setup::DeleteUninstallRecord(nested);
  EXPECT_TRUE(record.Exists());
}

namespace {

decltype(&RegQueryValueExA) g_realQuery = nullptr;
std::string g_newData;  // what the value holds from the first read on ("" : deleted)

// An installer that rewrites the value between the size query and the read.
LONG WINAPI QueryThatSeesTheValueChange(HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD size) {
  if (data && !g_newData.empty())
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(g_newData.c_str()),
                   static_cast<DWORD>(g_newData.size()) + 1);
  else if (data)
    RegDeleteValueA(key, name);
  return g_realQuery(key, name, reserved, type, data, size);
}

}  // namespace

TEST(UninstallRecord, AValueThatGrowsBetweenTheTwoQueriesIsReadWholeAndOneThatGoesIsEmpty) {
  for (const std::string& newData : {std::string("C:\\a.dll\r\nC:\\b.dll\r\nC:\\c.dll"), std::string()}) {
    ScratchRecord record;
    record.SetValue("FILES", REG_SZ, std::string("C:\\a.dll\0", 9));
    testing_support::ImportSwap swap("advapi32.dll", "RegQueryValueExA",
                                     reinterpret_cast<const void*>(&QueryThatSeesTheValueChange));
    ASSERT_TRUE(swap.Swapped());
    g_realQuery = reinterpret_cast<decltype(&RegQueryValueExA)>(swap.Original());
    g_newData = newData;
    EXPECT_EQ(ReadUninstallValue(record.Name(), "FILES"), newData);
  }
}
