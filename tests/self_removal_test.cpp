#include <gtest/gtest.h>

#include <numeric>
#include <optional>

#include "platform/errors.h"
#include "platform/unique_handle.h"
#include "tests/support/import_swap.h"
#include "tests/support/in_process_run.h"
#include "tests/support/product_keys.h"
#include "tests/support/raised.h"
#include "tests/support/scratch.h"
#include "uninstall/remove_self.h"

using namespace testing_support;

namespace {

std::string BatchText(const std::string& program, const std::string& batch) {
  return ":Repeat\r\ndel \"" + program + "\"\r\ndel \"" + program + "\" /aH\r\nif exist \"" + program +
         "\" goto Repeat\r\ndel \"" + batch + "\"\r\n";
}

struct Started {
  std::string commandLine;
  DWORD startupSize, startupFlags, showWindow, creationFlags;
};

}  // namespace

TEST(RemovingSelf, AProgramFileInUseGoesThroughTheHiddenBatchFileOnceItIsFree) {
  ScratchFolder folder;
  CreateDirectoryA(folder.File("Sample Library").c_str(), nullptr);
  const char root[] = "C:\\qnl-self-removal.exe";
  const struct {
    std::string program;
    DWORD attributes;
  } cases[] = {{folder.File("Sample Library\\uninstall.exe"), FILE_ATTRIBUTE_NORMAL},
               {root, FILE_ATTRIBUTE_NORMAL},
               {folder.File("hidden.exe"), FILE_ATTRIBUTE_HIDDEN},
               {folder.File("readonly.exe"), FILE_ATTRIBUTE_READONLY}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.program);
    const std::string batch = c.program.substr(0, c.program.rfind('\\') + 1) + "$delme.bat";
    WriteBytes(batch, "an older batch file that is much longer than the new one will be ... ... ...");
    WriteBytes(c.program, "MZ");
    SetFileAttributesA(c.program.c_str(), c.attributes);
    platform::UniqueFile inUse(CreateFileA(c.program.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    std::vector<Started> started;
    std::vector<DWORD> writes;
    {
      Spy<decltype(&CreateProcessA)> spyStart("kernel32.dll", "CreateProcessA",
          [&](LPCSTR, LPCSTR line, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES, BOOL, DWORD flags, LPVOID, LPCSTR,
              LPSTARTUPINFOA startup, LPPROCESS_INFORMATION) {
            started.push_back({line, startup->cb, startup->dwFlags, startup->wShowWindow, flags});
          });
      Spy<decltype(&WriteFile)> spyWrite("kernel32.dll", "WriteFile",
          [&](HANDLE, LPCVOID, DWORD size, LPDWORD, LPOVERLAPPED) { writes.push_back(size); });
      uninstall::RemoveSelf(c.program);
    }
    const std::string expected = BatchText(c.program, batch);
    EXPECT_EQ(ReadBytes(batch), expected);
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0].commandLine, "\"" + batch + "\"");
    EXPECT_EQ(started[0].startupSize, sizeof(STARTUPINFOA));
    EXPECT_EQ(started[0].startupFlags, static_cast<DWORD>(STARTF_USESHOWWINDOW));
    EXPECT_EQ(started[0].showWindow, static_cast<DWORD>(SW_HIDE));
    EXPECT_EQ(started[0].creationFlags, static_cast<DWORD>(NORMAL_PRIORITY_CLASS));
    EXPECT_EQ(std::accumulate(writes.begin(), writes.end(), std::size_t{0}), expected.size());  // each byte once
    EXPECT_TRUE(Exists(c.program));
    inUse.Reset();
    EXPECT_TRUE(GoneWithin({c.program, batch}, 20000));
  }
}

TEST(RemovingSelf, AFreeProgramFileIsDeletedDirectlyWithoutBatchFile) {
  ScratchFolder folder;
  WriteBytes(folder.File("uninstall.exe"), "MZ");
  uninstall::RemoveSelf(folder.File("uninstall.exe"));
  EXPECT_FALSE(Exists(folder.File("uninstall.exe")));
  EXPECT_FALSE(Exists(folder.File("$delme.bat")));
}

namespace {

void SetProgramCounter(const std::string& program, std::optional<DWORD> count) {
  DeleteTree(HKEY_CURRENT_USER, kCountersKey);
  if (count) SetCounter(program, static_cast<int>(*count));
}

}  // namespace

TEST(RemovingSelf, TheRunRemovesTheProgramFileOnlyWhenItsCounterIsNegativeOrAbsent) {
  const struct {
    std::optional<DWORD> count;
    bool removed;
  } cases[] = {{std::nullopt, true}, {0xFFFFFFFF, true}, {0, false}, {2, false}};
  for (const auto& c : cases) {
    ScratchFolder folder;
    ScratchRecord record;
    const std::string program = folder.File("uninstall.exe");
    WriteBytes(program, "MZ");
    SetProgramCounter(program, c.count);
    const EntryOutcome outcome = RunEntryInProcess(program, " " + record.Name(), {{"Uninstall", IDYES}});
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_EQ(Exists(program), !c.removed) << (c.count ? static_cast<int>(*c.count) : -100);
    EXPECT_FALSE(Exists(folder.File("$delme.bat")));
  }
  SetProgramCounter("", std::nullopt);
}

TEST(RemovingSelf, ABatchFileThatCannotBeWrittenLeavesTheProgramFileAsItWas) {
  ScratchFolder folder;
  const std::string program = folder.File("uninstall.exe");
  CreateDirectoryA(folder.File("$delme.bat").c_str(), nullptr);  // in the batch file's way
  for (const DWORD attributes : {FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE, FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE}) {
    SetFileAttributesA(program.c_str(), FILE_ATTRIBUTE_NORMAL);
    WriteBytes(program, "MZ");
    SetFileAttributesA(program.c_str(), attributes);
    platform::UniqueFile inUse(CreateFileA(program.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_EQ(RaisedBy([&] { SetLastError(0xdeadbeef), uninstall::RemoveSelf(program); }), "EInOutError: File access denied");
    EXPECT_EQ(GetFileAttributesA(program.c_str()), attributes);
  }
  SetFileAttributesA(program.c_str(), FILE_ATTRIBUTE_NORMAL);
}
