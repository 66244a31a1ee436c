#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>

#include "platform/unique_handle.h"
#include "tests/support/boxes.h"
#include "tests/support/import_swap.h"
#include "tests/support/in_process_run.h"
#include "tests/support/sample_installation.h"
#include "tests/support/scratch.h"

using namespace testing_support;
using Sample = SampleInstallation;

namespace {

const std::string kProduct = Sample::kProduct;
const std::string kProductKey = "Software\\Quenlar\\InstalledProducts\\Sample Library";
const std::string kCounters = "Software\\Quenlar\\InstalledFiles";
const std::string kContents = Sample::kContents;
const std::string kDataGrid = kProduct + "\\Lib\\Win32\\DataGrid.dcu";
const std::string kCore = "C:\\Program Files\\Quenlar\\Shared\\QnlCore.bpl";

// How far the run got, read off the sample installation afterwards.
struct Progress {
  int filesDeleted;  // of Grid.dcu, DataGrid.dcu and QnlTwice.dll
  bool withdrawn;    // "Data Grid" gone from the product's record
  bool includeRewritten;
  bool foldersRemoved;  // Lib\Win32 gone
  int helpsRemoved;     // of the product's two contents lines
  bool recordGone;
  bool programGone;
  bool operator==(const Progress& o) const { return std::memcmp(this, &o, sizeof o) == 0; }
};

std::ostream& operator<<(std::ostream& out, const Progress& p) {
  return out << "{files " << p.filesDeleted << ", withdrawn " << p.withdrawn << ", include " << p.includeRewritten
             << ", folders " << p.foldersRemoved << ", helps " << p.helpsRemoved << ", record gone " << p.recordGone
             << ", program gone " << p.programGone << "}";
}

Progress Observe() {
  const auto files = Sample::Files();
  const std::string contents = ReadBytes(kContents);
  Progress p{};
  for (const std::string& file : {files[0], files[1], files[4]}) p.filesDeleted += !Exists(file);
  p.withdrawn = KeyContents(HKEY_CURRENT_USER, kProductKey).size() == 4;
  p.includeRewritten = ReadBytes(Sample::Include()) != Sample::SampleFile("prod.inc");
  p.foldersRemoved = !Exists(kProduct + "\\Lib\\Win32");
  for (const char* line : {"=qsample.hlp\r\n", "=qgrid.hlp\r\n"}) p.helpsRemoved += contents.find(line) == std::string::npos;
  p.recordGone = KeyContents(HKEY_LOCAL_MACHINE, UninstallKeyPath(Sample::kKeyName)).empty();
  p.programGone = !Exists(Sample::Program());
  return p;
}

using Held = std::shared_ptr<void>;  // whatever a row keeps in place for the run
template <typename T, typename... A>
Held Hold(A&&... args) { return std::make_shared<T>(std::forward<A>(args)...); }

Held LockFile(const std::string& path) {
  return std::shared_ptr<void>(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), CloseHandle);
}
Held ProgramInUse() {
  return std::shared_ptr<void>(CreateFileA(Sample::Program().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr), CloseHandle);
}
Held Data(HKEY root, const std::string& key, const std::string& name, DWORD type, const std::string& data) {
  SetRegistryValue(root, key, name, type, data);
  return nullptr;
}
Held ReadOnly(const std::string& path) {
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
  return nullptr;
}

// A lack of memory: from the moment a row arms it, every allocation of the
// run's thread fails.
bool g_memoryArmed = false;
int g_failingOnce = 0;
DWORD g_runThread = 0;
void* (*g_realMalloc)(std::size_t) = nullptr;
void* FailingMalloc(std::size_t size) {
  if (g_failingOnce > 0) return --g_failingOnce, nullptr;
  return g_memoryArmed && GetCurrentThreadId() == g_runThread ? nullptr : g_realMalloc(size);
}
struct MemoryRunsOut {
  ImportSwap swap{"msvcrt.dll", "malloc", reinterpret_cast<const void*>(&FailingMalloc)};
  MemoryRunsOut() {
    g_realMalloc = reinterpret_cast<void* (*)(std::size_t)>(swap.Original()), g_runThread = GetCurrentThreadId();
    // The test build's runtime (posix threads) allocates the lock of its
    // emergency exception memory at its first use; it must not meet the lack
    // of memory, or raising the out-of-memory error would never end.
    g_failingOnce = 1;
    try {
      throw 0;
    } catch (int) {
    }
  }
  ~MemoryRunsOut() { g_memoryArmed = false; }
};
const auto kArm = [](auto...) { g_memoryArmed = true; };
// Memory runs out from the call of the function that arm picks (any call by default).
template <typename Function>
struct MemoryRunsOutAt : MemoryRunsOut {
  Spy<Function> spy;
  MemoryRunsOutAt(const char* dll, const char* function, typename Spy<Function>::Watcher arm = kArm)
      : spy(dll, function, std::move(arm)) {}
};

LONG WINAPI RefusedSet(HKEY, LPCSTR, DWORD, DWORD, const BYTE*, DWORD) { return ERROR_ACCESS_DENIED; }
decltype(&CreateFileA) g_realCreateFile = nullptr;
HANDLE WINAPI BatchDenied(LPCSTR name, DWORD a, DWORD s, LPSECURITY_ATTRIBUTES sa, DWORD d, DWORD f, HANDLE t) {
  if (std::strstr(name, "$delme.bat")) return SetLastError(ERROR_ACCESS_DENIED), INVALID_HANDLE_VALUE;
  return g_realCreateFile(name, a, s, sa, d, f, t);
}
decltype(&WriteFile) g_realWriteFile = nullptr;
BOOL WINAPI BatchDiskFull(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED o) {
  if (size >= 7 && std::memcmp(data, ":Repeat", 7) == 0) return SetLastError(ERROR_DISK_FULL), FALSE;
  return g_realWriteFile(file, data, size, written, o);
}
Held Both(Held a, Held b) { return std::make_shared<std::pair<Held, Held>>(std::move(a), std::move(b)); }

template <typename Function>
Held Refuse(const char* dll, const char* name, Function standIn, Function* original = nullptr) {
  auto swap = std::make_shared<ImportSwap>(dll, name, reinterpret_cast<const void*>(standIn));
  if (original) *original = reinterpret_cast<Function>(swap->Original());
  return swap;
}

struct Row {
  const char* what;
  std::function<Held()> arrange;
  bool inProcess;  // the fault needs an import swap: the entry point runs in this program
  const char* kind;
  std::string message;
  Progress done;
};

}  // namespace

TEST(FailureMatrix, EveryEarlyEndShowsOneBoxExitsWith1AndLeavesExactlyWhatIsDone) {
  const Progress filesFailed{1, false, false, false, 0, false, false};
  const Progress registrationFailed{3, false, false, false, 0, false, false};
  const Progress includeFailed{3, true, false, false, 0, false, false};
  const Progress helpsFailed{3, true, true, true, 0, false, false};
  const Progress selfFailed{3, true, true, true, 2, true, false};
  const std::string program = Sample::Program(), include = Sample::Include();
  const Row rows[] = {
      {"counter not a number", [] { return Data(HKEY_CURRENT_USER, kCounters, kDataGrid, REG_SZ, "ab"); }, false,
       "ERegistryException", "Invalid data type for '" + kDataGrid + "'", filesFailed},
      {"counter too long", [] { return Data(HKEY_CURRENT_USER, kCounters, kDataGrid, REG_SZ, "abcdefghij"); }, false,
       "ERegistryException", "Failed to get data for '" + kDataGrid + "'", filesFailed},
      {"counter not written", [] { return Refuse("advapi32.dll", "RegSetValueExA", &RefusedSet); }, true,
       "ERegistryException", "Failed to set data for '" + kCore + "'", {2, false, false, false, 0, false, false}},
      {"FolderName not text", [] { return Data(HKEY_CURRENT_USER, kProductKey, "FolderName", REG_DWORD, "1234"); }, false,
       "ERegistryException", "Invalid data type for 'FolderName'", includeFailed},
      {"include file cannot be loaded", [&] { return LockFile(include); }, false, "EFOpenError",
       "Cannot open file " + include, includeFailed},
      {"include file cannot be stored", [&] { return ReadOnly(include); }, false, "EFCreateError",
       "Cannot create file " + include, includeFailed},
      {"RootDir not text", [] { return Data(HKEY_LOCAL_MACHINE, "Software\\Borland\\Delphi\\5.0", "RootDir", REG_DWORD, "1234"); },
       false, "ERegistryException", "Invalid data type for 'RootDir'", helpsFailed},
      {"contents file cannot be loaded", [] { return LockFile(kContents); }, false, "EFOpenError",
       "Cannot open file " + kContents, helpsFailed},
      {"contents file cannot be stored", [] { return ReadOnly(kContents); }, false, "EFCreateError",
       "Cannot create file " + kContents, helpsFailed},
      {"program counter not a number", [&] { return Data(HKEY_CURRENT_USER, kCounters, program, REG_SZ, "ab"); }, false,
       "ERegistryException", "Invalid data type for '" + program + "'", selfFailed},
      {"program counter too long", [&] { return Data(HKEY_CURRENT_USER, kCounters, program, REG_SZ, "abcdefghij"); },
       false, "ERegistryException", "Failed to get data for '" + program + "'", selfFailed},
      {"batch file not created", [] { return Both(ProgramInUse(), Refuse("kernel32.dll", "CreateFileA", &BatchDenied, &g_realCreateFile)); },
       true, "EInOutError", "File access denied", selfFailed},
      {"batch file not written", [] { return Both(ProgramInUse(), Refuse("kernel32.dll", "WriteFile", &BatchDiskFull, &g_realWriteFile)); },
       true, "EInOutError", "I/O error 112", selfFailed},
      {"no memory removing files", [] { return Hold<MemoryRunsOutAt<decltype(&DeleteFileA)>>("kernel32.dll", "DeleteFileA"); },
       true, "EOutOfMemory", "Out of memory", filesFailed},
      {"no memory reading the names", [] {
         return Hold<MemoryRunsOutAt<decltype(&RegQueryValueExA)>>("advapi32.dll", "RegQueryValueExA",
             [](HKEY, LPCSTR name, auto...) { g_memoryArmed = g_memoryArmed || std::string(name) == "PRODUCTNAME"; });
       }, true, "EOutOfMemory", "Out of memory", registrationFailed},
      {"no memory removing folders", [] { return Hold<MemoryRunsOutAt<decltype(&RemoveDirectoryA)>>("kernel32.dll", "RemoveDirectoryA"); },
       true, "EOutOfMemory", "Out of memory", {3, true, true, true, 0, false, false}},
      {"no memory removing helps", [] {
         return Hold<MemoryRunsOutAt<decltype(&FindFirstFileA)>>("kernel32.dll", "FindFirstFileA",
             [](LPCSTR name, auto...) { g_memoryArmed = g_memoryArmed || name == kContents; });
       }, true, "EOutOfMemory", "Out of memory", helpsFailed},
      {"no memory at the program file", [] { return Hold<MemoryRunsOutAt<decltype(&RegFlushKey)>>("advapi32.dll", "RegFlushKey"); },
       true, "EOutOfMemory", "Out of memory", selfFailed},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Sample sample;
    const auto recordBefore = KeyContents(HKEY_LOCAL_MACHINE, UninstallKeyPath(Sample::kKeyName));
    const auto registrationBefore = KeyContents(HKEY_CURRENT_USER, kProductKey);
    std::vector<SeenBox> boxes;
    int exitCode = 0;
    {
      const Held held = row.arrange();
      if (row.inProcess) {
        const std::string arguments = " \"" + std::string(Sample::kKeyName) + "\"";
        const std::map<std::string, int> answers = {{"Uninstall", IDYES}};
        EntryOutcome outcome = RunEntryInProcess(program, arguments, answers);
        boxes = std::move(outcome.boxes), exitCode = outcome.exitCode;
      } else {
        DWORD code = 0;
        boxes = RunAndAnswer("\"" + program + "\" \"" + Sample::kKeyName + "\"", {{"Uninstall", IDYES}}, &code);
        exitCode = static_cast<int>(code);
      }
    }
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].caption, "Application Error");
    EXPECT_TRUE(boxes[1].otherWindows.empty());  // the progress dialog went first
    EXPECT_EQ(boxes[1].text.substr(0, 10 + std::strlen(row.kind) + 11), "Exception " + std::string(row.kind) + " in module ");
    EXPECT_EQ(boxes[1].text.substr(boxes[1].text.find('\n') + 1), row.message + ".");
    EXPECT_EQ(exitCode, 1);
    const Progress done = Observe();
    EXPECT_EQ(done, row.done);
    if (!done.recordGone) {
      EXPECT_EQ(KeyContents(HKEY_LOCAL_MACHINE, UninstallKeyPath(Sample::kKeyName)), recordBefore);
    }
    if (!done.withdrawn) {
      EXPECT_EQ(KeyContents(HKEY_CURRENT_USER, kProductKey), registrationBefore);
    }
    if (done.helpsRemoved == 0) {
      EXPECT_EQ(ReadBytes(kContents), Sample::SampleFile("delphi5.cnt"));
    }
    SetFileAttributesA(include.c_str(), FILE_ATTRIBUTE_NORMAL);
    SetFileAttributesA(kContents.c_str(), FILE_ATTRIBUTE_NORMAL);
  }
}
