#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <tuple>

#include "platform/unique_handle.h"
#include "tests/support/boxes.h"
#include "tests/support/import_swap.h"
#include "tests/support/in_process_run.h"
#include "tests/support/product_keys.h"
#include "tests/support/sample_installation.h"
#include "tests/support/scratch.h"
#include "tests/support/window_watch.h"

using namespace testing_support;
using Sample = SampleInstallation;

namespace {

const std::string kProduct = Sample::kProduct;
const std::string kProductKey = ProductKey("Sample Library");
const std::string kContents = Sample::kContents;
const std::string kDataGrid = kProduct + "\\Lib\\Win32\\DataGrid.dcu";
const std::string kCore = "C:\\Program Files\\Quenlar\\Shared\\QnlCore.bpl";
const std::string kHelpFile = kProduct + "\\Help\\Sample.hlp";  // after kCore, which another product uses
const std::string kGrid = kProduct + "\\Lib\\Grid.dcu";
const std::string kTwice = "C:\\Program Files\\Quenlar\\Shared\\QnlTwice.dll";
const std::string kProgram = Sample::Program();
const std::string kInclude = Sample::Include();
const std::string kContentsAfter =
    ":Base delphi5.hlp\r\n:Title Delphi 5 Help\r\n:Index Object Pascal Reference=obpascl.hlp\r\n:Include delphi5.ohc\r\n";
// Another product's contents line with the target of the product's first
// help entry (in other letter case, which names it all the same).
const std::string kOtherLine = ":Index Other Library=QSample.hlp\r\n";

// How far the run got, read off the sample installation afterwards.
struct Progress {
  int filesDeleted;  // of Grid.dcu, DataGrid.dcu and QnlTwice.dll
  bool withdrawn;    // "Data Grid" gone from the product's record
  bool includeRewritten;
  bool foldersRemoved;  // Lib\Win32 gone
  int helpsRemoved;     // of the product's two contents lines
  bool recordGone;
  bool programGone;
  auto Fields() const {
    return std::tie(filesDeleted, withdrawn, includeRewritten, foldersRemoved, helpsRemoved, recordGone, programGone);
  }
  bool operator==(const Progress& o) const { return Fields() == o.Fields(); }
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
  p.includeRewritten = ReadBytes(kInclude) != Sample::SampleFile("prod.inc");
  p.foldersRemoved = !Exists(kProduct + "\\Lib\\Win32");
  for (const char* line : {"=qsample.hlp\r\n", "=qgrid.hlp\r\n"}) p.helpsRemoved += contents.find(line) == std::string::npos;
  p.recordGone = KeyContents(HKEY_LOCAL_MACHINE, UninstallKeyPath(Sample::kKeyName)).empty();
  p.programGone = !Exists(kProgram);
  return p;
}

using Held = std::shared_ptr<void>;  // whatever a row keeps in place for the run
template <typename T, typename... A>
Held Hold(A&&... args) { return std::make_shared<T>(std::forward<A>(args)...); }

// The file held open with that sharing for the run; a file that cannot be
// opened fails the row, which would otherwise run without its lock.
Held HoldOpen(const std::string& path, DWORD sharing) {
  auto file = std::make_shared<platform::UniqueFile>(
      CreateFileA(path.c_str(), GENERIC_READ, sharing, nullptr, OPEN_EXISTING, 0, nullptr));
  EXPECT_TRUE(file->IsValid()) << "cannot hold " << path << " open";
  return file;
}
Held LockFile(const std::string& path) { return HoldOpen(path, 0); }
Held ProgramInUse() { return HoldOpen(kProgram, FILE_SHARE_READ); }
// Another program opens the file without sharing as the run loads it a
// second time, and holds it for the rest of the run.
struct LockedAtSecondLoad {
  explicit LockedAtSecondLoad(std::string file) : path(std::move(file)) {}
  std::string path;
  int loads = 0;
  platform::UniqueFile lock;
  Spy<decltype(&CreateFileA)> spy{"kernel32.dll", "CreateFileA",
      [this](LPCSTR name, DWORD access, DWORD, LPSECURITY_ATTRIBUTES, DWORD disposition, DWORD, HANDLE) {
        if (name == path && access == GENERIC_READ && disposition == OPEN_EXISTING && ++loads == 2)
          lock.Reset(CreateFileA(name, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
      }};
};
// A value with other data for the run; the value as it was (or none) after it.
Held Data(HKEY root, const std::string& key, const std::string& name, DWORD type, const std::string& data) {
  const std::optional<RegistryValue> before = ReadRegistryValue(root, key, name);
  SetRegistryValue(root, key, name, type, data);
  return std::shared_ptr<void>(nullptr, [=](void*) {
    if (before) return SetRegistryValue(root, key, name, before->type, before->bytes);
    RegDeleteValueA(OpenKey(root, key, KEY_SET_VALUE).Get(), name.c_str());
  });
}
// A subkey below the machine's key for the run.
Held Subkey(const std::string& path) {
  CreateKey(HKEY_LOCAL_MACHINE, path);
  return std::shared_ptr<void>(nullptr, [=](void*) { RegDeleteKeyA(HKEY_LOCAL_MACHINE, path.c_str()); });
}
Held ReadOnly(const std::string& path) {
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
  return std::shared_ptr<void>(nullptr, [=](void*) { SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL); });
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

// The run ended from outside (as the Task Manager ends it) at the nth call of
// the function that match picks, just before or just after it: the run's
// thread ends there, nothing unwinds and nothing more is written.
const int kEnded = 0xE4D;
const char kEndedKind[] = "ended from outside";
template <typename Function, typename Match>
Held EndedAt(const char* dll, const char* function, Match match, int nth, bool afterTheCall) {
  auto calls = std::make_shared<int>(0);
  const typename Spy<Function>::Watcher end = [=](auto... args) {
    if (match(args...) && ++*calls == nth) ExitThread(kEnded);
  };
  return afterTheCall ? Hold<Spy<Function>>(dll, function, nullptr, end) : Hold<Spy<Function>>(dll, function, end);
}
// At a counter's write (lowered) or delete (released to 0).
Held EndedAtCounter(const char* function, const std::string& file, int nth) {
  const auto named = [file](HKEY, LPCSTR name, auto...) { return name && name == file; };
  if (std::strcmp(function, "RegDeleteValueA") == 0)
    return EndedAt<decltype(&RegDeleteValueA)>("advapi32.dll", function, named, nth, true);
  return EndedAt<decltype(&RegSetValueExA)>("advapi32.dll", function, named, nth, true);
}
// Just before the nth load of the contents file (or the nth temporary file
// of its store; just after, the handle would stay open in this program),
// another product's line with the first help entry's target added first.
Held EndedInHelps(int nth, bool atTheStore) {
  WriteBytes(kContents, ReadBytes(kContents) + kOtherLine);
  return EndedAt<decltype(&CreateFileA)>("kernel32.dll", "CreateFileA",
      [atTheStore](LPCSTR name, DWORD access, DWORD, LPSECURITY_ATTRIBUTES, DWORD disposition, DWORD, HANDLE) {
        if (atTheStore) return disposition == CREATE_NEW && std::strstr(name, "\\HELP\\qnl") != nullptr;
        return name == kContents && access == GENERIC_READ && disposition == OPEN_EXISTING;
      }, nth, false);
}

// Windows NT 4.0's store (no ReplaceFileA: the new contents file takes the
// name by a rename of the store's own), whose rights cannot be put on the
// renamed file from the first load of the contents file on; another
// product's line with the first help entry's target added first.
decltype(&GetProcAddress) g_realGetProcAddress = nullptr;
bool g_rightsRefused = false;
BOOL WINAPI RightsRefused(HANDLE, SECURITY_INFORMATION, PSECURITY_DESCRIPTOR) {
  SetLastError(ERROR_ACCESS_DENIED);
  return FALSE;
}
FARPROC WINAPI BindAsNt4(HMODULE module, LPCSTR name) {
  if (HIWORD(reinterpret_cast<ULONG_PTR>(name)) != 0) {
    if (std::strcmp(name, "ReplaceFileA") == 0) return nullptr;
    if (g_rightsRefused && std::strcmp(name, "SetKernelObjectSecurity") == 0)
      return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&RightsRefused));
  }
  return g_realGetProcAddress(module, name);
}
struct ContentsRightsRefused {
  ContentsRightsRefused() {
    WriteBytes(kContents, ReadBytes(kContents) + kOtherLine);
    g_realGetProcAddress = reinterpret_cast<decltype(&GetProcAddress)>(bind.Original());
    g_rightsRefused = false;
  }
  ImportSwap bind{"kernel32.dll", "GetProcAddress", reinterpret_cast<const void*>(&BindAsNt4)};
  Spy<decltype(&CreateFileA)> armed{"kernel32.dll", "CreateFileA",
      [](LPCSTR name, auto...) { g_rightsRefused = g_rightsRefused || name == kContents; }};
};

// The run ended from outside in the nth store of the contents file, just
// before ReplaceFileA (the new text left beside the file), or inside it where
// Wine's has deleted the file and not yet renamed the new one; another
// product's line with the first help entry's target added first.
decltype(&ReplaceFileA) g_realReplaceFile = nullptr;
struct { int nth; bool targetDeleted; } g_cut;
BOOL WINAPI CutReplaceFile(LPCSTR target, LPCSTR replacement, LPCSTR backup, DWORD flags, LPVOID x, LPVOID y) {
  if (target == kContents && --g_cut.nth == 0) {
    if (g_cut.targetDeleted) DeleteFileA(target);
    ExitThread(kEnded);
  }
  return g_realReplaceFile(target, replacement, backup, flags, x, y);
}
FARPROC WINAPI BindCutReplaceFile(HMODULE module, LPCSTR name) {
  FARPROC found = g_realGetProcAddress(module, name);
  if (HIWORD(reinterpret_cast<ULONG_PTR>(name)) == 0 || !found || std::strcmp(name, "ReplaceFileA") != 0) return found;
  g_realReplaceFile = reinterpret_cast<decltype(&ReplaceFileA)>(reinterpret_cast<void*>(found));
  return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&CutReplaceFile));
}
struct EndedInTheReplacement {
  EndedInTheReplacement(int nth, bool targetDeleted) {
    WriteBytes(kContents, ReadBytes(kContents) + kOtherLine);
    g_realGetProcAddress = reinterpret_cast<decltype(&GetProcAddress)>(bind.Original());
    g_cut = {nth, targetDeleted};
  }
  ImportSwap bind{"kernel32.dll", "GetProcAddress", reinterpret_cast<const void*>(&BindCutReplaceFile)};
};
// The store's temporary files beside the contents file.
const std::string kHelpFolder = kContents.substr(0, kContents.rfind('\\') + 1);
const std::string kLeftTemporary = kHelpFolder + "qnl1.tmp";
std::vector<std::string> TemporaryFilesLeft() {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  const platform::UniqueFind find(FindFirstFileA((kHelpFolder + "qnl*.tmp").c_str(), &found));
  for (BOOL more = find.IsValid(); more; more = FindNextFileA(find.Get(), &found)) names.push_back(found.cFileName);
  return names;
}
// Between the runs, the temporary file that the first left is made anew with
// the folder's rights (as another user could); its text changed (its rights
// kept); made a second name; another user's file of such a name put beside.
void AnotherUsersTemporaryFile() {
  const std::string text = ReadBytes(kLeftTemporary);
  if (DeleteFileA(kLeftTemporary.c_str())) WriteBytes(kLeftTemporary, text);
}
void TemporaryFileChanged() {
  const platform::UniqueFile file(
      CreateFileA(kLeftTemporary.c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, 0, nullptr));
  DWORD written = 0;
  EXPECT_TRUE(WriteFile(file.Get(), ":Base other.hlp\r\n", 17, &written, nullptr));
}
void TemporaryFileLinked() {
  const std::string elsewhere = kHelpFolder + "elsewhere.cnt";
  EXPECT_TRUE(MoveFileA(kLeftTemporary.c_str(), elsewhere.c_str()));
  EXPECT_TRUE(CreateHardLinkA(kLeftTemporary.c_str(), elsewhere.c_str(), nullptr));
}
void AnotherUsersFileBeside() { WriteBytes(kHelpFolder + "qnl9.tmp", "x"); }

// Between the runs, another product is installed: it lays out Grid.dcu, which
// the first run removed, with a counter of its own, counts QnlCore.bpl once
// more, adds a contents line with the target of the first help entry and
// removes one of the environment's.
void AnotherProductInstalled() {
  CreateDirectoryA((kProduct + "\\Lib").c_str(), nullptr);
  WriteBytes(kGrid, Sample::SampleFile("Grid.dcu"));
  SetCounter(kGrid, 1);
  SetCounter(kCore, 2);
  std::string contents = ReadBytes(kContents);
  contents.erase(contents.find(":Title Delphi 5 Help\r\n"), 22);
  WriteBytes(kContents, contents + kOtherLine);
}
// Between the runs, another product that shares QnlCore.bpl is removed, and
// QnlTwice.dll's counter goes (the user cleaned the counters by hand).
void AnotherProductRemoved() {
  SetCounter(kCore, 1);
  RegDeleteValueA(OpenKey(HKEY_CURRENT_USER, kCountersKey, KEY_SET_VALUE).Get(), kTwice.c_str());
}

// Between the runs, a run that fails before it can settle what the first
// left in doubt (the contents file locked): it must leave that as it found it.
void FailedBeforeSettling() {
  const Held lock = LockFile(kContents);
  DWORD exitCode = 0;
  RunAndAnswer("\"" + kProgram + "\" \"" + Sample::kKeyName + "\"", {{"Uninstall", IDYES}}, &exitCode);
  EXPECT_EQ(exitCode, 1u);
}

template <typename Function>
Held Refuse(const char* dll, const char* name, Function standIn, Function* original = nullptr) {
  auto swap = std::make_shared<ImportSwap>(dll, name, reinterpret_cast<const void*>(standIn));
  if (original) *original = reinterpret_cast<Function>(swap->Original());
  return swap;
}

const Progress kAllDone{3, true, true, true, 2, true, true};

// The entries that the record's lists hold after the first run: what it left to do.
struct Left {
  int files;
  int helps;
};

// One way for the run to end early (or, with kind "", for a complete run to
// leave the record): the fault that a row puts in place, the error that the
// box names, how far the run got and what it left to do; then what happens
// before the run again (by default nothing, but for the cause going), and
// what that run leaves.
struct Row {  // NOLINT(clang-analyzer-optin.performance.Padding): its fields as the rows read
  const char* name;
  std::function<Held()> arrange;
  bool inProcess;  // the fault needs an import swap: the entry point runs in this program
  const char* kind;
  std::string message;
  Progress done;
  Left left;
  std::function<void()> between = nullptr;
  Progress after = kAllDone;
  std::vector<std::string> countersAfter = {kCore + "=1"};
  std::string contentsAfter = kContentsAfter;
  std::vector<std::string> temporaryFilesLeft = {};
};

const Progress kFilesFailed{1, false, false, false, 0, false, false};
const Progress kRegistrationFailed{3, false, false, false, 0, false, false};
const Progress kIncludeFailed{3, true, false, false, 0, false, false};
const Progress kHelpsFailed{3, true, true, true, 0, false, false};
const Progress kSecondHelpFailed{3, true, true, true, 1, false, false};
const Progress kSelfFailed{3, true, true, true, 2, true, false};
const Progress kTwoFilesDone{2, false, false, false, 0, false, false};

// What the first run leaves of the lists where it fails in the files, at
// the product's registration or folders, in the help entries.
const Left kAllListed{6, 2};
const Left kHelpsListed{0, 2};

Row KeptAfterWinesReplacement(const char* name, void (*between)()) {
  return {name, [] { return Hold<EndedInTheReplacement>(2, true); }, true, kEndedKind, "",
          {3, true, true, true, 2, false, false}, kHelpsListed, between, kAllDone, {kCore + "=1"}, "<missing>",
          {"qnl1.tmp"}};
}

const Row kRows[] = {
    {"LaterCounterNotANumber", [] { return Data(HKEY_CURRENT_USER, kCountersKey, kHelpFile, REG_SZ, "ab"); }, false,
     "ERegistryException", "Invalid data type for '" + kHelpFile + "'", {2, false, false, false, 0, false, false}, {3, 2}},
    {"CounterNotANumber", [] { return Data(HKEY_CURRENT_USER, kCountersKey, kDataGrid, REG_SZ, "ab"); }, false,
     "ERegistryException", "Invalid data type for '" + kDataGrid + "'", kFilesFailed, {5, 2}},
    {"CounterTooLong", [] { return Data(HKEY_CURRENT_USER, kCountersKey, kDataGrid, REG_SZ, "abcdefghij"); }, false,
     "ERegistryException", "Failed to get data for '" + kDataGrid + "'", kFilesFailed, {5, 2}},
    // Every registry write refused: no count and no list is written either,
    // and the run again does the first two files again (their counters gone).
    {"CounterNotWritten", [] { return Refuse("advapi32.dll", "RegSetValueExA", &RefusedRegistryWrite); }, true,
     "ERegistryException", "Failed to set data for '" + kCore + "'", {2, false, false, false, 0, false, false}, kAllListed},
    {"FolderNameNotText", [] { return Data(HKEY_CURRENT_USER, kProductKey, "FolderName", REG_DWORD, "1234"); }, false,
     "ERegistryException", "Invalid data type for 'FolderName'", kIncludeFailed, kHelpsListed},
    {"IncludeFileCannotBeLoaded", [] { return LockFile(kInclude); }, false, "EFOpenError",
     "Cannot open file " + kInclude, kIncludeFailed, kHelpsListed},
    {"IncludeFileCannotBeStored", [] { return ReadOnly(kInclude); }, false, "EFCreateError",
     "Cannot create file " + kInclude, kIncludeFailed, kHelpsListed},
    {"RootDirNotText", [] { return Data(HKEY_LOCAL_MACHINE, kDelphi5Key, "RootDir", REG_DWORD, "1234"); },
     false, "ERegistryException", "Invalid data type for 'RootDir'", kHelpsFailed, kHelpsListed},
    {"ContentsFileCannotBeLoaded", [] { return LockFile(kContents); }, false, "EFOpenError",
     "Cannot open file " + kContents, kHelpsFailed, kHelpsListed},
    {"ContentsFileLockedHalfWay", [] { return Hold<LockedAtSecondLoad>(kContents); }, true, "EFOpenError",
     "Cannot open file " + kContents, kSecondHelpFailed, {0, 1}},
    {"ContentsFileCannotBeStored", [] { return ReadOnly(kContents); }, false, "EFCreateError",
     "Cannot create file " + kContents, kHelpsFailed, kHelpsListed},
    {"ProgramCounterNotANumber", [] { return Data(HKEY_CURRENT_USER, kCountersKey, kProgram, REG_SZ, "ab"); }, false,
     "ERegistryException", "Invalid data type for '" + kProgram + "'", kSelfFailed, {}},
    {"ProgramCounterTooLong", [] { return Data(HKEY_CURRENT_USER, kCountersKey, kProgram, REG_SZ, "abcdefghij"); },
     false, "ERegistryException", "Failed to get data for '" + kProgram + "'", kSelfFailed, {}},
    {"BatchFileNotCreated", [] { return Both(ProgramInUse(), Refuse("kernel32.dll", "CreateFileA", &BatchDenied, &g_realCreateFile)); },
     true, "EInOutError", "File access denied", kSelfFailed, {}},
    {"BatchFileNotWritten", [] { return Both(ProgramInUse(), Refuse("kernel32.dll", "WriteFile", &BatchDiskFull, &g_realWriteFile)); },
     true, "EInOutError", "I/O error 112", kSelfFailed, {}},
    // The list is written while the failure leaves the phase, with no memory to spare.
    {"NoMemoryRemovingFiles", [] { return Hold<MemoryRunsOutAt<decltype(&DeleteFileA)>>("kernel32.dll", "DeleteFileA"); },
     true, "EOutOfMemory", "Out of memory", kFilesFailed, {5, 2}},
    {"NoMemoryReadingTheNames", [] {
       return Hold<MemoryRunsOutAt<decltype(&RegQueryValueExA)>>("advapi32.dll", "RegQueryValueExA",
           [](HKEY, LPCSTR name, auto...) { g_memoryArmed = g_memoryArmed || std::string(name) == "PRODUCTNAME"; });
     }, true, "EOutOfMemory", "Out of memory", kRegistrationFailed, kHelpsListed},
    {"NoMemoryRemovingFolders", [] { return Hold<MemoryRunsOutAt<decltype(&RemoveDirectoryA)>>("kernel32.dll", "RemoveDirectoryA"); },
     true, "EOutOfMemory", "Out of memory", {3, true, true, true, 0, false, false}, kHelpsListed},
    {"NoMemoryRemovingHelps", [] {
       return Hold<MemoryRunsOutAt<decltype(&FindFirstFileA)>>("kernel32.dll", "FindFirstFileA",
           [](LPCSTR name, auto...) { g_memoryArmed = g_memoryArmed || name == kContents; });
     }, true, "EOutOfMemory", "Out of memory", kHelpsFailed, kHelpsListed},
    // From the record's deletion on (the lists' flushes come before it).
    {"NoMemoryAtTheProgramFile", [] { return Hold<MemoryRunsOutAt<decltype(&RegDeleteKeyA)>>("advapi32.dll", "RegDeleteKeyA"); },
     true, "EOutOfMemory", "Out of memory", kSelfFailed, {}},
    // The first help entry's line is removed, and counts as done, though the
    // run fails naming the contents file: the run again removes no other line.
    {"ContentsRightsNotPutOnAfterTheRename", [] { return Hold<ContentsRightsRefused>(); }, true, "EFCreateError",
     "Cannot create file " + kContents, kSecondHelpFailed, {0, 1}, nullptr, kAllDone, {kCore + "=1"},
     kContentsAfter + kOtherLine},
    // Installed again over what a run left: the installer writes the lists in
    // full, and the run again undoes the reinstalled product whole. Grid.dcu's
    // counter, released by the failed run, comes back as 1 and goes; the
    // others were counted twice.
    {"InstalledAgainAfterAFailedFileRemoval", [] { return Data(HKEY_CURRENT_USER, kCountersKey, kDataGrid, REG_SZ, "ab"); },
     false, "ERegistryException", "Invalid data type for '" + kDataGrid + "'", kFilesFailed, {5, 2}, &Sample::InstallAgain,
     {1, true, true, false, 2, true, true}, {kDataGrid + "=1", kCore + "=2", kTwice + "=2"}},
    {"InstalledAgainAfterAFailedHelpRemoval", [] { return Hold<LockedAtSecondLoad>(kContents); }, true, "EFOpenError",
     "Cannot open file " + kContents, kSecondHelpFailed, {0, 1}, &Sample::InstallAgain},
    // A complete run whose record stays (a subkey keeps it on Windows NT) leaves empty lists and no counts.
    {"InstalledAgainAfterACompleteRunLeftTheRecord", [] { return Subkey(UninstallKeyPath(Sample::kKeyName) + "\\Sub"); },
     false, "", "", {3, true, true, true, 2, false, true}, {0, 0}, &Sample::InstallAgain},
    // Other installations change their own files between the runs: the run
    // again does only what the record lists, and ends as one clean run would
    // have left every installation involved.
    {"AnotherProductInstalledBetweenTheRuns", [] { return Hold<LockedAtSecondLoad>(kContents); }, true, "EFOpenError",
     "Cannot open file " + kContents, kSecondHelpFailed, {0, 1}, &AnotherProductInstalled,
     {2, true, true, true, 2, true, true}, {kGrid + "=1", kCore + "=2"},
     ":Base delphi5.hlp\r\n:Index Object Pascal Reference=obpascl.hlp\r\n:Include delphi5.ohc\r\n" + kOtherLine},
    {"AnotherProductRemovedBetweenTheRuns", [] { return Data(HKEY_CURRENT_USER, kCountersKey, kDataGrid, REG_SZ, "ab"); },
     false, "ERegistryException", "Invalid data type for '" + kDataGrid + "'", kFilesFailed, {5, 2},
     &AnotherProductRemoved, {2, true, true, true, 2, true, true}, {}},
    // Ended from outside in an entry that, done again, would release another
    // installation's counter or take another product's line, or that would
    // leave a file for good: the run again ends as one clean run would have.
    {"EndedAfterASharedCounterWasLowered", [] { return EndedAtCounter("RegSetValueExA", kCore, 1); }, true,
     kEndedKind, "", kTwoFilesDone, kAllListed},
    {"EndedBetweenACountersReleaseTo0AndTheDelete", [] { return EndedAtCounter("RegDeleteValueA", kDataGrid, 1); },
     true, kEndedKind, "", {1, false, false, false, 0, false, false}, kAllListed},
    {"EndedBetweenTheReleasesOfAFileListedTwice", [] { return EndedAtCounter("RegSetValueExA", kTwice, 1); }, true,
     kEndedKind, "", kTwoFilesDone, kAllListed},
    {"EndedAfterAHelpLineWhoseTargetAnotherProductsLineShares", [] { return EndedInHelps(2, false); }, true,
     kEndedKind, "", kSecondHelpFailed, kHelpsListed, nullptr, kAllDone, {kCore + "=1"}, kContentsAfter + kOtherLine},
    {"EndedInTheSecondHelpEntry", [] { return EndedInHelps(2, true); }, true, kEndedKind, "",
     kSecondHelpFailed, kHelpsListed, nullptr, kAllDone, {kCore + "=1"}, kContentsAfter + kOtherLine},
    // Ended inside Wine's ReplaceFileA, the file missing and its new text
    // beside it (crash_states_test.cpp: the run again goes on from it), but
    // in a file that another user could have written, or with another text,
    // or a second name: it is kept, and the file stays missing.
    KeptAfterWinesReplacement("EndedInWinesReplacementAndAnotherUserPlantedItsText", &AnotherUsersTemporaryFile),
    KeptAfterWinesReplacement("EndedInWinesReplacementAndItsTextChanged", &TemporaryFileChanged),
    KeptAfterWinesReplacement("EndedInWinesReplacementAndItsFileLinked", &TemporaryFileLinked),
    // The new text never took the name: its file goes, another user's stays.
    {"EndedBeforeTheContentsFilesReplacement", [] { return Hold<EndedInTheReplacement>(2, false); }, true,
     kEndedKind, "", kSecondHelpFailed, kHelpsListed, &AnotherUsersFileBeside, kAllDone, {kCore + "=1"},
     kContentsAfter + kOtherLine, {"qnl9.tmp"}},
    {"EndedInAHelpEntryThenFailedBeforeSettlingIt", [] { return EndedInHelps(2, false); }, true, kEndedKind, "",
     kSecondHelpFailed, kHelpsListed, &FailedBeforeSettling, kAllDone, {kCore + "=1"}, kContentsAfter + kOtherLine},
};
// Each row runs as a test of its own, within the time that one row needs.
static_assert(2 * std::size(kRows) == QNL_TEST_ROWS, "ROWS of failure_matrix_tests in tests/CMakeLists.txt");

// A row as Windows starts the uninstaller (the user answering Yes), or
// quietly as a deployment tool starts it: "/S" and a log.
using Case = std::tuple<Row, bool>;
const Row& RowOf(const Case& c) { return std::get<0>(c); }
bool Quiet(const Case& c) { return std::get<1>(c); }
void PrintTo(const Case& c, std::ostream* out) { *out << RowOf(c).name << (Quiet(c) ? " quiet" : ""); }

std::string Arguments(bool quiet, const std::string& log) {
  return " \"" + std::string(Sample::kKeyName) + "\"" + (quiet ? " /S \"/LOG=" + log + "\"" : "");
}

// Runs the uninstaller on the sample installation with the row's fault in
// place for the length of the run. A quiet run's boxes are, by their
// captions, every window that it showed.
EntryOutcome RunWith(const Row& row, bool quiet, const std::string& log) {
  const Held held = row.arrange();
  const std::map<std::string, int> answers = {{"Uninstall", IDYES}};
  const std::string arguments = Arguments(quiet, log);
  EntryOutcome outcome{{}, 0};
  DWORD exitCode = 0;
  std::vector<std::string> windows;
  if (row.inProcess && quiet)
    windows = WindowsShownDuring(GetCurrentProcessId(), [&] {
      outcome = RunEntryInProcess(kProgram, arguments, answers, row.kind == kEndedKind);
    });
  else if (row.inProcess)
    return RunEntryInProcess(kProgram, arguments, answers, row.kind == kEndedKind);
  else if (quiet)
    windows = RunWatchingWindows("\"" + kProgram + "\"" + arguments, &exitCode);
  else
    outcome.boxes = RunAndAnswer("\"" + kProgram + "\"" + arguments, answers, &exitCode);
  if (!row.inProcess) outcome.exitCode = static_cast<int>(exitCode);
  for (const std::string& title : windows) outcome.boxes.emplace_back().caption = title;
  return outcome;
}

// A fresh sample installation per row. Before it goes, files that a row made
// read-only are writable again, and a half-written batch file goes at once:
// no row starts it, so the installation need not wait for it to end.
class FailureMatrix : public testing::TestWithParam<Case> {
 protected:
  ~FailureMatrix() override {
    SetFileAttributesA(kInclude.c_str(), FILE_ATTRIBUTE_NORMAL);
    SetFileAttributesA(kContents.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(Sample::Batch().c_str());
  }
  Sample sample_;
  ScratchFolder logs_;
};

// The subkeys of the per-user data.
std::vector<std::string> QuenlarKeys() { return KeyContents(HKEY_CURRENT_USER, "Software\\Quenlar"); }

void ExpectTheRowsBox(const Row& row, const EntryOutcome& outcome) {
  if (row.kind == kEndedKind) {
    EXPECT_EQ(outcome.boxes.size(), 1u);
    EXPECT_EQ(outcome.exitCode, kEnded);
    return;
  }
  if (!*row.kind) {
    EXPECT_EQ(outcome.boxes.size(), 1u);
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_TRUE(GoneWithin({kProgram, Sample::Batch()}, 20000));
    return;
  }
  ASSERT_EQ(outcome.boxes.size(), 2u);
  const SeenBox& box = outcome.boxes[1];
  EXPECT_EQ(box.caption, "Application Error");
  EXPECT_TRUE(box.otherWindows.empty());  // the progress dialog went first
  EXPECT_EQ(box.text.substr(0, 10 + std::strlen(row.kind) + 11), "Exception " + std::string(row.kind) + " in module ");
  EXPECT_EQ(box.text.substr(box.text.find('\n') + 1), row.message + ".");
  EXPECT_EQ(outcome.exitCode, 1);
}

// A quiet run shows no window, ends with 0 or 1 (or as a run ended from
// outside ends), and its log ends with whole lines: the completed run's, or
// the failure's full text.
void ExpectTheQuietEnd(const Row& row, const EntryOutcome& outcome, const std::string& log) {
  EXPECT_TRUE(outcome.boxes.empty()) << outcome.boxes[0].caption;
  const bool ended = row.kind == kEndedKind;
  EXPECT_EQ(outcome.exitCode, ended ? kEnded : *row.kind ? 1 : 0);
  const std::string text = ReadBytes(log);
  const std::string tail = ended      ? "\r\n"
                           : *row.kind ? row.message + ".\r\nEnded by the failure above, exit code 1\r\n"
                                       : "\r\nCompleted, exit code 0\r\n";
  EXPECT_EQ(text.substr(text.size() - std::min(text.size(), tail.size())), tail) << text;
  if (*row.kind && !ended) {
    EXPECT_NE(text.find("\r\nFailure:\r\nException " + std::string(row.kind) + " in module "), std::string::npos) << text;
  }
  if (!*row.kind) {
    EXPECT_TRUE(GoneWithin({kProgram, Sample::Batch()}, 20000));
  }
}

}  // namespace

TEST_P(FailureMatrix, ShowsOneBoxExitsWith1LeavesExactlyWhatIsDoneAndRunAgainEndsAsOneCompleteRun) {
  const Row& row = RowOf(GetParam());
  const bool quiet = Quiet(GetParam());
  int runs = 0;
  std::string log;
  // Each run a log of its own; a quiet run shows no window, the other the row's boxes.
  const auto run = [&] {
    log = logs_.File("run" + std::to_string(++runs) + ".log");
    const EntryOutcome outcome = RunWith(row, quiet, log);
    if (quiet) return ExpectTheQuietEnd(row, outcome, log);
    ExpectTheRowsBox(row, outcome);
  };
  const auto recordBefore = Sample::RecordValues();
  const auto registrationBefore = KeyContents(HKEY_CURRENT_USER, kProductKey);
  const auto quenlarBefore = QuenlarKeys();
  run();
  const Progress done = Observe();
  EXPECT_EQ(done, row.done);
  if (!done.recordGone) {
    // The record lists what is left to do; a complete run keeps no counts.
    EXPECT_EQ(Sample::RecordValues(), Sample::ListsLeft(recordBefore, row.left.files, row.left.helps));
    if (!*row.kind) {
      EXPECT_EQ(KeyContents(HKEY_LOCAL_MACHINE, UninstallKeyPath(Sample::kKeyName)), Sample::RecordValues());
    }
    EXPECT_FALSE(Exists(Sample::Batch()));
  }
  if (!done.withdrawn) {
    EXPECT_EQ(KeyContents(HKEY_CURRENT_USER, kProductKey), registrationBefore);
  }
  if (done.helpsRemoved == 0) {
    EXPECT_EQ(ReadBytes(kContents), Sample::SampleFile("delphi5.cnt"));
  }

  // Run again as the user would: first with the cause still there (it fails
  // alike and lowers no counter again), then with the cause gone.
  if (row.between) {
    row.between();
  } else if (!row.inProcess && !done.recordGone) {
    const auto counters = KeyContents(HKEY_CURRENT_USER, kCountersKey);
    run();
    EXPECT_EQ(Observe(), row.done);
    EXPECT_EQ(KeyContents(HKEY_CURRENT_USER, kCountersKey), counters);
  }
  // Without a record, a quiet run says so by its exit code.
  const DWORD expectedExit = quiet && Observe().recordGone ? 1605 : 0;
  DWORD exitCode = 1;
  const std::string again = "\"" + kProgram + "\"" + Arguments(quiet, logs_.File("again.log"));
  if (quiet)
    EXPECT_EQ(RunWatchingWindows(again, &exitCode), std::vector<std::string>{});
  else
    RunAndAnswer(again, {{"Uninstall", IDYES}}, &exitCode);
  EXPECT_EQ(exitCode, expectedExit);
  EXPECT_TRUE(GoneWithin({kProgram, Sample::Batch()}, 20000));
  EXPECT_EQ(Observe(), row.after);
  EXPECT_EQ(KeyContents(HKEY_CURRENT_USER, kCountersKey), row.countersAfter);
  // No key that a run made stays in the user's data; the counters' key goes with its last counter.
  std::vector<std::string> quenlarAfter = quenlarBefore;
  if (row.countersAfter.empty()) quenlarAfter.erase(std::find(quenlarAfter.begin(), quenlarAfter.end(), "[InstalledFiles]"));
  EXPECT_EQ(QuenlarKeys(), quenlarAfter);
  const bool coreCounted = std::any_of(row.countersAfter.begin(), row.countersAfter.end(),
                                       [](const std::string& counter) { return counter.rfind(kCore + "=", 0) == 0; });
  EXPECT_EQ(ReadBytes(kCore), coreCounted ? Sample::SampleFile("QnlCore.bpl") : "<missing>");
  EXPECT_EQ(ReadBytes(kContents), row.contentsAfter);
  EXPECT_EQ(TemporaryFilesLeft(), row.temporaryFilesLeft);
}

// Each row as Windows runs it, and quietly ("/S"): the quiet run leaves
// exactly what the run after Yes leaves.
INSTANTIATE_TEST_SUITE_P(EveryEarlyEnd, FailureMatrix, testing::Combine(testing::ValuesIn(kRows), testing::Bool()),
                         [](const testing::TestParamInfo<Case>& info) {
                           return std::string(RowOf(info.param).name) + (Quiet(info.param) ? "Quietly" : "");
                         });
