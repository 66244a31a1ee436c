#include <gtest/gtest.h>

#include <windows.h>
#include <sddl.h>

#include <numeric>
#include <optional>
#include <regex>

#include "platform/errors.h"
#include "platform/private_file_security.h"
#include "platform/unique_handle.h"
#include "tests/support/boxes.h"
#include "tests/support/import_swap.h"
#include "tests/support/in_process_run.h"
#include "tests/support/product_keys.h"
#include "tests/support/raised.h"
#include "tests/support/scratch.h"
#include "uninstall/remove_self.h"

using namespace testing_support;

namespace {

// The five lines naming the program and batch paths as the batch file does.
std::string BatchText(const std::string& program, const std::string& batch) {
  return ":Repeat\r\ndel \"" + program + "\"\r\ndel \"" + program + "\" /aH\r\nif exist \"" + program +
         "\" goto Repeat\r\ndel \"" + batch + "\"\r\n";
}

std::string BatchPathBeside(const std::string& program) {
  return program.substr(0, program.rfind('\\') + 1) + "$delme.bat";
}

std::string ShortPath(const std::string& path) {
  char shortPath[MAX_PATH] = {};
  return GetShortPathNameA(path.c_str(), shortPath, MAX_PATH) < MAX_PATH ? shortPath : "";
}

std::string TokenUserSid() {
  platform::UniqueKernelObject token;
  DWORD user[64] = {};
  DWORD size = 0;
  char* sid = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Receive()) ||
      !GetTokenInformation(token.Get(), TokenUser, user, sizeof user, &size) ||
      !ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(user)->User.Sid, &sid))
    return "<no user>";
  std::string text = sid;
  LocalFree(sid);
  return text;
}

struct Started {
  std::string commandLine;
  DWORD startupSize, startupFlags, showWindow, creationFlags;
};

}  // namespace

TEST(RemovingSelf, AProgramFileInUseGoesThroughTheHiddenBatchFileOnceItIsFree) {
  ScratchFolder folder;
  const char root[] = "C:\\qnl-self-removal.exe";
  // The batch file names the program as cmd reads it: each "%" doubled, in
  // the OEM code page (437, beside the ANSI 1252), and by its short path
  // where a letter has none ("\x80", the euro sign).
  const struct {
    std::string program;
    DWORD attributes;
    std::string named;  // the program path in the batch file; empty: its short path
    bool startedByName;  // cmd would expand "%OS%" in the starting command line
  } cases[] = {{folder.File("Sample Library\\uninstall.exe"), FILE_ATTRIBUTE_NORMAL, folder.File("Sample Library\\uninstall.exe"), false},
               {root, FILE_ATTRIBUTE_NORMAL, root, false},
               {folder.File("hidden.exe"), FILE_ATTRIBUTE_HIDDEN, folder.File("hidden.exe"), false},
               {folder.File("readonly.exe"), FILE_ATTRIBUTE_READONLY, folder.File("readonly.exe"), false},
               {folder.File("100% Demo\\u.exe"), FILE_ATTRIBUTE_NORMAL, folder.File("100%% Demo\\u.exe"), true},
               {folder.File("a%OS%b\\u.exe"), FILE_ATTRIBUTE_NORMAL, folder.File("a%%OS%%b\\u.exe"), true},
               {folder.File("D\xE9mo\\u.exe"), FILE_ATTRIBUTE_NORMAL, folder.File("D\x82mo\\u.exe"), false},
               {folder.File("f\xFCr\\u.exe"), FILE_ATTRIBUTE_NORMAL, folder.File("f\x81r\\u.exe"), false},
               {folder.File("\x80uro\\u.exe"), FILE_ATTRIBUTE_NORMAL, "", false}};
  char testFolder[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, testFolder);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.program);
    const std::string batch = BatchPathBeside(c.program);
    CreateDirectoryA(batch.substr(0, batch.rfind('\\')).c_str(), nullptr);
    // An earlier batch file, someone else's, with other lines; every other
    // one read-only. It is replaced whole by a new one.
    SetFileAttributesA(batch.c_str(), FILE_ATTRIBUTE_NORMAL);
    WriteBytes(batch, "an older batch file that is much longer than the new one will be ... ... ...\r\ngoto Repeat\r\n");
    if ((&c - cases) % 2) SetFileAttributesA(batch.c_str(), FILE_ATTRIBUTE_READONLY);
    WriteBytes(c.program, "MZ");
    SetFileAttributesA(c.program.c_str(), c.attributes);
    const std::string named = c.named.empty() ? ShortPath(c.program) : c.named;
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
    SetCurrentDirectoryA(testFolder);  // where a batch file with "%" in its path was started
    const std::string expected = BatchText(named, BatchPathBeside(named));
    EXPECT_EQ(ReadBytes(batch), expected);
    // Wine keeps a file's rights as its Unix mode: what it gives others shows
    // as an Everyone entry, and the new file gives them nothing.
    EXPECT_FALSE(AllowsOthers(FileDaclText(batch))) << FileDaclText(batch);
    EXPECT_EQ(GetFileAttributesA(batch.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0].commandLine, "\"" + (c.startedByName ? std::string("$delme.bat") : batch) + "\"");
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

TEST(RemovingSelf, TheBatchFilesDescriptorAllowsOnlySystemTheAdministratorsAndTheRunningAccount) {
  platform::PrivateFileSecurity security;
  ASSERT_NE(security.Attributes(), nullptr);
  EXPECT_EQ(DaclText(security.Attributes()->lpSecurityDescriptor),
            "D:P(A;;FA;;;SY)(A;;FA;;;BA)(A;;FA;;;" + TokenUserSid() + ")");
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

namespace {

DWORD WINAPI NoShortPath(LPCSTR, LPSTR, DWORD) { return 0; }

BOOL WINAPI RefusedStart(LPCSTR, LPSTR, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES, BOOL, DWORD, LPVOID, LPCSTR,
                         LPSTARTUPINFOA, LPPROCESS_INFORMATION) {
  SetLastError(ERROR_ACCESS_DENIED);
  return FALSE;
}

}  // namespace

TEST(RemovingSelf, ABatchFileThatCannotBeWrittenOrStartedLeavesTheProgramFileAsItWas) {
  ScratchFolder folder;
  ScratchFolder elsewhere;
  CreateDirectoryA(folder.File("$delme.bat").c_str(), nullptr);  // in the batch file's way
  const char earlier[] = "@echo someone else's lines\r\n";
  // An earlier read-only batch file: held open by another program, or a hard
  // link to another user's read-only file, which no delete can take.
  enum class Earlier { None, Held, LinkToReadOnly };
  const struct {
    std::string program;
    const char* function;  // swapped for a stand-in, when named
    const void* standIn;
    Earlier earlier;
    std::string raised;
  } cases[] = {
      {folder.File("uninstall.exe"), nullptr, nullptr, Earlier::None, "EInOutError: File access denied"},
      // "\x80" (the euro sign) has no OEM form, and the volume no short name.
      {folder.File("\x80uro\\uninstall.exe"), "GetShortPathNameA", reinterpret_cast<const void*>(&NoShortPath),
       Earlier::None, "EInOutError: Invalid filename"},
      {folder.File("Started\\uninstall.exe"), "CreateProcessA", reinterpret_cast<const void*>(&RefusedStart),
       Earlier::None, "<no error>"},
      {folder.File("Held\\uninstall.exe"), nullptr, nullptr, Earlier::Held, "EInOutError: I/O error 32"},  // sharing violation
      {folder.File("Linked\\uninstall.exe"), nullptr, nullptr, Earlier::LinkToReadOnly, "EInOutError: File access denied"},
  };
  for (const auto& c : cases) {
    CreateDirectoryA(c.program.substr(0, c.program.rfind('\\')).c_str(), nullptr);
    const std::string batch = BatchPathBeside(c.program);
    for (const DWORD attributes : {FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE, FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE}) {
      SCOPED_TRACE(c.program + " " + std::to_string(attributes));
      SetFileAttributesA(c.program.c_str(), FILE_ATTRIBUTE_NORMAL);
      WriteBytes(c.program, "MZ");
      SetFileAttributesA(c.program.c_str(), attributes);
      platform::UniqueFile inUse(CreateFileA(c.program.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
      platform::UniqueFile held;
      DWORD earlierAttributes = INVALID_FILE_ATTRIBUTES;
      const std::string earlierFile = c.earlier == Earlier::LinkToReadOnly ? elsewhere.File("theirs.bat") : batch;
      if (c.earlier != Earlier::None) {
        SetFileAttributesA(earlierFile.c_str(), FILE_ATTRIBUTE_NORMAL);
        WriteBytes(earlierFile, earlier);
        SetFileAttributesA(earlierFile.c_str(), FILE_ATTRIBUTE_READONLY);
        earlierAttributes = GetFileAttributesA(earlierFile.c_str());
        if (c.earlier == Earlier::Held) {
          held.Reset(CreateFileA(batch.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        } else if (!Exists(batch)) {
          ASSERT_TRUE(CreateHardLinkA(batch.c_str(), earlierFile.c_str(), nullptr));
        }
      }
      std::optional<ImportSwap> swap;
      if (c.function) swap.emplace("kernel32.dll", c.function, c.standIn);
      ASSERT_TRUE(!swap || swap->Swapped());
      EXPECT_EQ(RaisedBy([&] { SetLastError(0xdeadbeef), uninstall::RemoveSelf(c.program); }), c.raised);
      swap.reset();
      held.Reset();
      EXPECT_EQ(GetFileAttributesA(c.program.c_str()), attributes);
      if (c.earlier != Earlier::None) {  // kept whole, read-only again (the file that it links to, as it was)
        EXPECT_EQ(ReadBytes(earlierFile), earlier);
        EXPECT_EQ(GetFileAttributesA(earlierFile.c_str()), earlierAttributes);
        EXPECT_TRUE(earlierAttributes & FILE_ATTRIBUTE_READONLY);
      } else {  // only a batch file that could not be started is left written
        EXPECT_EQ(ReadBytes(batch) != "<missing>", c.raised == "<no error>");
      }
    }
  }
}

TEST(RemovingSelf, TheShippedProgramRemovesItselfFromAFolderWithPercentSignsOrLettersBeyondAscii) {
  ScratchFolder folder;
  for (const std::string name : {"100% Demo", "a%OS%b", "D\xE9mo", "Komponenten f\xFCr Delphi"}) {
    SCOPED_TRACE(name);
    const std::string program = folder.File(name + "\\uninstall.exe");
    CreateDirectoryA(folder.File(name).c_str(), nullptr);
    CopyUninstallProgram(program);
    ScratchRecord record;
    DWORD exitCode = 1;
    RunAndAnswer("\"" + program + "\" " + record.Name(), {{"Uninstall", IDYES}}, &exitCode);
    EXPECT_EQ(exitCode, 0u);
    EXPECT_TRUE(GoneWithin({program, folder.File(name + "\\$delme.bat")}, 20000));
  }
}
