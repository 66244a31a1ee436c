#include <gtest/gtest.h>

#include <optional>

#include "registration/shared_files.h"
#include "tests/support/import_swap.h"
#include "tests/support/product_keys.h"
#include "tests/support/raised.h"
#include "tests/support/scratch.h"

using registration::ReleaseSharedFile;
using registration::SharedFileCount;
using namespace testing_support;

namespace {

// The real counter key, emptied before and removed after each test.
struct Counters {
  Counters() { DeleteTree(HKEY_CURRENT_USER, kCountersKey); }
  ~Counters() { DeleteTree(HKEY_CURRENT_USER, kCountersKey); }
  static bool KeyExists() { return testing_support::KeyExists(HKEY_CURRENT_USER, kCountersKey); }
};

LONG WINAPI FailedKeyQuery(HKEY, LPSTR, LPDWORD, LPDWORD, LPDWORD, LPDWORD, LPDWORD, LPDWORD, LPDWORD, LPDWORD,
                           LPDWORD, PFILETIME) {
  return ERROR_OUTOFMEMORY;
}

}  // namespace

TEST(SharedFileCounters, ReleasingLowersTheCountAndAZeroGoesWithItsKey) {
  Counters counters;
  SetCounter("C:\\P\\a.dll", 3);
  SetCounter("C:\\P\\b.dll", 1);
  SetCounter("C:\\P\\z.dll", 0);
  EXPECT_EQ(ReleaseSharedFile("C:\\P\\a.dll"), 2);
  EXPECT_EQ(SharedFileCount("C:\\P\\a.dll"), 2);
  EXPECT_EQ(ReleaseSharedFile("c:\\p\\B.DLL"), 0);
  EXPECT_EQ(SharedFileCount("C:\\P\\b.dll"), -1);
  EXPECT_EQ(ReleaseSharedFile("C:\\P\\z.dll"), -1);
  EXPECT_EQ(SharedFileCount("C:\\P\\z.dll"), -1);  // a stored -1: not a counter of 0 or more
  EXPECT_EQ(ReleaseSharedFile("C:\\P\\z.dll"), -2);
  EXPECT_TRUE(Counters::KeyExists());
}

TEST(SharedFileCounters, ReleasingTheLastCounterRemovesTheKeyOnlyWhenAQueryFindsItEmpty) {
  for (const bool queryFails : {false, true}) {
    SCOPED_TRACE(queryFails ? "the key cannot be queried" : "the key is queried");
    Counters counters;
    SetCounter("C:\\P\\a.dll", 1);
    std::optional<ImportSwap> swap;
    if (queryFails) {
      SetCounter("C:\\Other\\b.dll", 5);
      swap.emplace("advapi32.dll", "RegQueryInfoKeyA", reinterpret_cast<const void*>(&FailedKeyQuery));
    }
    EXPECT_EQ(ReleaseSharedFile("C:\\P\\a.dll"), 0);
    swap.reset();
    EXPECT_EQ(Counters::KeyExists(), queryFails);
    EXPECT_EQ(SharedFileCount("C:\\Other\\b.dll"), queryFails ? 5 : -1);  // another product's counter stays
  }
}

TEST(SharedFileCounters, WithoutKeyOrCounterTheResultIsMinusOneAndNothingIsCreated) {
  Counters counters;
  EXPECT_EQ(ReleaseSharedFile("C:\\P\\a.dll"), -1);
  EXPECT_EQ(SharedFileCount("C:\\P\\a.dll"), -1);
  EXPECT_FALSE(Counters::KeyExists());
  SetCounter("C:\\P\\other.dll", 0);
  EXPECT_EQ(ReleaseSharedFile("C:\\P\\a.dll"), -1);
  EXPECT_EQ(SharedFileCount("C:\\P\\other.dll"), 0);
}

TEST(SharedFileCounters, ATextCounterRaisesByItsSizeAndChangesNothing) {
  Counters counters;
  SetCounter("C:\\P\\short.dll", REG_SZ, std::string("ab\0", 3));
  SetCounter("C:\\P\\long.dll", REG_SZ, std::string("abcdefghij\0", 11));
  EXPECT_EQ(RaisedBy([] { ReleaseSharedFile("C:\\P\\short.dll"); }), "ERegistryException: Invalid data type for 'C:\\P\\short.dll'");
  EXPECT_EQ(RaisedBy([] { SharedFileCount("C:\\P\\long.dll"); }), "ERegistryException: Failed to get data for 'C:\\P\\long.dll'");
  EXPECT_TRUE(Counters::KeyExists());
}

TEST(SharedFileCounters, AFailingWriteRaisesAndKeepsTheStoredCount) {
  Counters counters;
  SetCounter("C:\\P\\a.dll", 3);
  {
    ImportSwap swap("advapi32.dll", "RegSetValueExA", reinterpret_cast<const void*>(&RefusedRegistryWrite));
    ASSERT_TRUE(swap.Swapped());
    EXPECT_EQ(RaisedBy([] { ReleaseSharedFile("C:\\P\\a.dll"); }), "ERegistryException: Failed to set data for 'C:\\P\\a.dll'");
  }
  EXPECT_EQ(SharedFileCount("C:\\P\\a.dll"), 3);
}
