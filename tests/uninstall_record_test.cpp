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

TEST(UninstallRecord, AValueThatGrowsBetweenTheTwoQueriesIsReadWholeAndOneThatGoesIsEmpty) {
  // What the value holds from the first read on ("": deleted).
  for (const std::string& newData : {std::string("C:\\a.dll\r\nC:\\b.dll\r\nC:\\c.dll"), std::string()}) {
    ScratchRecord record;
    record.SetValue("FILES", REG_SZ, std::string("C:\\a.dll\0", 9));
    // An installer that rewrites the value between the size query and the read.
    Spy<decltype(&RegQueryValueExA)> spy("advapi32.dll", "RegQueryValueExA",
        [&](HKEY key, LPCSTR name, LPDWORD, LPDWORD, const BYTE* data, LPDWORD) {
          if (data && !newData.empty())
            RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(newData.c_str()),
                           static_cast<DWORD>(newData.size()) + 1);
          else if (data)
            RegDeleteValueA(key, name);
        });
    ASSERT_TRUE(spy.Swapped());
    EXPECT_EQ(ReadUninstallValue(record.Name(), "FILES"), newData);
  }
}
