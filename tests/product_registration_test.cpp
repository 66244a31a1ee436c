// The user's products key is copied aside with a Vista call; the product
// itself keeps to Windows XP.
#undef _WIN32_WINNT
#define _WIN32_WINNT 0x0600
#include <gtest/gtest.h>

#include <optional>

#include "platform/registry_session.h"
#include "platform/text_format.h"
#include "platform/unique_handle.h"
#include "registration/installed_products.h"
#include "tests/support/import_swap.h"
#include "tests/support/product_keys.h"
#include "tests/support/raised.h"
#include "tests/support/scratch.h"

using namespace testing_support;
using registration::UnregisterProduct;

namespace {

const char kSaved[] = "Software\\Quenlar\\InstalledProducts kept aside by a test";

// Moves a key of the user with all it holds; false when there is none.
bool MoveKey(const char* from, const char* to) {
  if (!KeyExists(HKEY_CURRENT_USER, from)) return false;
  RegCopyTreeA(OpenKey(HKEY_CURRENT_USER, from).Get(), nullptr, CreateKey(HKEY_CURRENT_USER, to).Get());
  DeleteTree(HKEY_CURRENT_USER, from);
  return true;
}

// The data is stored with its terminating NUL.
void SetValue(const std::string& key, const std::string& name, DWORD type = REG_SZ, const std::string& data = "x") {
  SetRegistryValue(HKEY_CURRENT_USER, key, name, type, data + '\0');
}

// The key's value names in sorted order, each followed by CR LF; "gone" without key.
std::string Names(const std::string& key) {
  platform::RegistrySession registry;
  if (!registry.OpenPath("\\" + key)) return "gone";
  platform::LineList names;
  registry.ListValueNames(names);
  names.SortLines();
  return names.JoinedText();
}

// A product of its own with the values named, in a products key of its own:
// the user's key is kept aside and put back afterwards.
struct Registered {
  const bool saved = MoveKey(kProductsKey, kSaved);
  ScratchFolder folder;
  const std::string product = "Quenlar Test " + std::to_string(GetCurrentProcessId()) + " " + std::to_string(++count);
  const std::string key = ProductKey(product);
  const std::string include = folder.File("units\\prod.inc");
  static inline int count = 0;

  explicit Registered(std::initializer_list<const char*> values) {
    for (const char* value : values) SetValue(key, value);
    CreateDirectoryA(folder.File("units").c_str(), nullptr);
  }
  ~Registered() {
    DeleteTree(HKEY_CURRENT_USER, kProductsKey);
    if (saved) MoveKey(kSaved, kProductsKey);
  }
};

BOOL WINAPI RefusedWrite(HANDLE, LPCVOID, DWORD, LPDWORD written, LPOVERLAPPED) {
  if (written) *written = 0;
  SetLastError(ERROR_DISK_FULL);
  return FALSE;
}

// Key queries fail from the g_failingFrom-th on, as they do without memory;
// or, with g_deletedAt, another uninstall deletes that key just before the
// g_failingFrom-th.
decltype(&RegQueryInfoKeyA) g_realQuery = nullptr;
int g_queries = 0;
int g_failingFrom = 0;
std::string g_deletedAt;
LONG WINAPI QueryFailingFrom(HKEY key, LPSTR name, LPDWORD nameLength, LPDWORD reserved, LPDWORD subkeys,
                             LPDWORD subkeyLength, LPDWORD classLength, LPDWORD values, LPDWORD valueNameLength,
                             LPDWORD valueLength, LPDWORD security, PFILETIME written) {
  if (++g_queries >= g_failingFrom && g_deletedAt.empty()) return ERROR_OUTOFMEMORY;
  if (g_queries == g_failingFrom) DeleteTree(HKEY_CURRENT_USER, g_deletedAt);
  return g_realQuery(key, name, nameLength, reserved, subkeys, subkeyLength, classLength, values, valueNameLength,
                     valueLength, security, written);
}

}  // namespace

TEST(UnregisteringAProduct, WithdrawsTheListedSubProductsAndRemovesAnEmptiedRecord) {
  struct Row {  // NOLINT(clang-analyzer-optin.performance.Padding): its fields as the rows read
    std::initializer_list<const char*> values;
    const char* subProducts;
    bool otherProduct;
    const char* after;
    bool productsKeyStays;
    int failingFrom = 0;  // key queries fail from this one on (1: the product's listing)
    bool outOfMemory = false;
    bool deletedMeanwhile = false;  // instead, the product's key goes before that query
  };
  const Row rows[] = {
      {{"Version", "FolderName", "A", "B"}, "", false, "A\r\nB\r\nFolderName\r\nVersion\r\n", true},
      {{"Version", "FolderName", "A", "B"}, "A; B", false, "B\r\nFolderName\r\nVersion\r\n", true},
      {{"Version", "FolderName", "", "A", "B", "C"}, "A;;B;", false, "C\r\nFolderName\r\nVersion\r\n", true},
      {{"Version", "FolderName", "A", "B"}, "B;A", false, "gone", false},
      {{"Version", "FolderName", "A", "B"}, "B;A", true, "gone", true},
      {{"Version", "FolderName"}, "", false, "gone", false},
      {{"VERSION", "foldername", "A"}, "A", false, "gone", false},
      {{"Version", "FolderName", "A", "B"}, "A", true, "B\r\nFolderName\r\nVersion\r\n", true, 1, true},
      {{"Version", "FolderName", "A"}, "A", false, "gone", true, 2},
      {{"Version", "FolderName", "A", "B"}, "A", true, "gone", true, 1, false, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.subProducts);
    Registered registered(row.values);
    if (row.otherProduct) SetValue(ProductKey("Other"), "A");
    std::optional<ImportSwap> swap;
    if (row.failingFrom) {
      swap.emplace("advapi32.dll", "RegQueryInfoKeyA", reinterpret_cast<const void*>(&QueryFailingFrom));
      g_realQuery = reinterpret_cast<decltype(&RegQueryInfoKeyA)>(swap->Original());
      g_queries = 0;
      g_failingFrom = row.failingFrom;
      g_deletedAt = row.deletedMeanwhile ? registered.key : "";
    }
    const auto unregister = [&] { UnregisterProduct(registered.product, row.subProducts); };
    if (row.outOfMemory) {
      EXPECT_THROW(unregister(), platform::OutOfMemoryRaise);
    } else {
      unregister();
    }
    swap.reset();
    EXPECT_EQ(Names(registered.key), row.after);
    EXPECT_EQ(Names(kProductsKey) != "gone", row.productsKeyStays);
  }
}

TEST(UnregisteringAProduct, WithoutNameOrRegisteredKeyChangesNothing) {
  Registered unregistered({});
  SetValue(kProductsKey, "A");
  UnregisterProduct("", "A");
  UnregisterProduct(unregistered.product, "A");
  EXPECT_EQ(Names(kProductsKey), "A\r\n");
}

TEST(UnregisteringAProduct, SwitchesTheIncludeFileToTheRemainingSubProducts) {
  const std::pair<std::string, std::string> files[] = {  // before, after
      {"// Quenlar\r\n{$DEFINE DataGrid}\r\n//{$define DATAGRID} old\r\n  {$DEFINE Charts} // gone\r\n\r\n"
       " {$I vx.inc}\r\n// {$DEFINE Grid}\r\n{$i VX.INC}\r\n{$DEFINE Charts}\r\n//{$DEFINE Grid}\r\n",
       "// Quenlar\r\n  {$DEFINE DataGrid}\r\n  {$DEFINE DATAGRID}\r\n//  {$DEFINE Charts}\r\n\r\n"
       " {$I vx.inc}\r\n  {$DEFINE Grid}\r\n{$i VX.INC}\r\n{$DEFINE Charts}\r\n//{$DEFINE Grid}\r\n"},
      {"{$R+}\r\n\r\n// no define lines", "{$R+}\r\n\r\n// no define lines\r\n"},
      {"{$DEFINE Charts}\n{$DEFINE grid}\n", "//  {$DEFINE Charts}\r\n  {$DEFINE grid}\r\n"},
  };
  for (const auto& [before, after] : files) {
    Registered registered({"Version", "Data Grid", "Grid", "Charts"});
    SetValue(registered.key, "FolderName", REG_SZ, registered.folder.Path());
    WriteBytes(registered.include, before);
    UnregisterProduct(registered.product, "Charts");
    EXPECT_EQ(ReadBytes(registered.include), after);
  }
}

TEST(UnregisteringAProduct, AFailureKeepsTheWithdrawnValuesWithdrawnAndTheIncludeFileItsBytes) {
  const struct {
    bool folderIsNumber, locked, writeRefused;
    const char* raised;
  } rows[] = {
      {true, false, false, "ERegistryException: Invalid data type for 'FolderName'"},
      {false, true, false, "EFOpenError: Cannot open file %s"},
      {false, false, true, "EWriteError: Stream write error"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.raised);
    Registered registered({"Version", "A", "B"});
    SetValue(registered.key, "FolderName", row.folderIsNumber ? REG_DWORD : REG_SZ, registered.folder.Path());
    WriteBytes(registered.include, "{$DEFINE A}\n");
    {
      platform::UniqueFile lock;
      if (row.locked) lock.Reset(CreateFileA(registered.include.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
      std::optional<ImportSwap> swap;
      if (row.writeRefused) swap.emplace("kernel32.dll", "WriteFile", reinterpret_cast<const void*>(&RefusedWrite));
      EXPECT_EQ(RaisedBy([&] { UnregisterProduct(registered.product, "A"); }),
                platform::FormatText(row.raised, registered.include));
    }
    EXPECT_EQ(Names(registered.key), "B\r\nFolderName\r\nVersion\r\n");
    EXPECT_EQ(ReadBytes(registered.include), "{$DEFINE A}\n");
  }
}
