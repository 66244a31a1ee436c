#include <gtest/gtest.h>

#include <cstring>
#include <optional>

#include "platform/errors.h"
#include "platform/line_list.h"
#include "platform/unique_handle.h"
#include "setup/path_helpers.h"
#include "platform/path_text.h"
#include "tests/support/import_swap.h"
#include "tests/support/raised.h"
#include "tests/support/scratch.h"

using platform::LineList;
using namespace testing_support;

namespace {

LineList Of(std::initializer_list<const char*> lines) {
  LineList list;
  for (const char* line : lines) list.AppendLine(line);
  return list;
}

int WINAPI CompareWithoutMemory(LCID, DWORD, LPCSTR, int, LPCSTR, int) {
  SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return 0;
}

}  // namespace

TEST(LineList, IndexesOutsideTheListFailNamingTheIndexAndChangeNothing) {
  LineList list = Of({"a", "b"});
  for (int index : {-1, 2}) {
    EXPECT_EQ(RaisedBy([&] { list.RemoveLine(index); }),
              "EStringListError: List index out of bounds (" + std::to_string(index) + ")");
    EXPECT_THROW(list.LineAt(index), platform::EStringListError);
    EXPECT_THROW(list.ReplaceLine(index, "x"), platform::EStringListError);
  }
  EXPECT_EQ(LinesOf(list), (std::vector<std::string>{"a", "b"}));
}

TEST(LineList, FindsTheFirstLineEqualWithoutRegardToCase) {
  EXPECT_EQ(Of({"x", "abc", "Abc"}).FindLine("ABC"), 1);
  EXPECT_EQ(Of({}).FindLine("ABC"), -1);
  EXPECT_EQ(Of({"a", "", ""}).FindLine(""), 1);
  EXPECT_EQ(Of({"\xe4rger"}).FindLine("\xc4RGER"), 0);  // the locale folds letters beyond A to Z
}

TEST(LineList, AComparisonWithoutMemoryRaisesOutOfMemoryRatherThanOrderingByBytes) {
  LineList list = Of({"c:\\p", "C:\\P\\Lib"});
  ImportSwap swap("kernel32.dll", "CompareStringA", reinterpret_cast<const void*>(&CompareWithoutMemory));
  ASSERT_TRUE(swap.Swapped());
  EXPECT_THROW(list.FindLine("C:\\P"), platform::OutOfMemoryRaise);
  EXPECT_THROW(list.SortLines(), platform::OutOfMemoryRaise);
  EXPECT_EQ(LinesOf(list), (std::vector<std::string>{"c:\\p", "C:\\P\\Lib"}));
}

TEST(LineList, SortsParentsBeforeTheirSubfoldersAndAppendsAfterSorting) {
  LineList list = Of({"C:\\B", "C:\\A\\B", "c:\\a"});
  list.SortLines();
  EXPECT_EQ(LinesOf(list), (std::vector<std::string>{"c:\\a", "C:\\A\\B", "C:\\B"}));
  list.AppendLine("A");
  EXPECT_EQ(list.LineAt(3), "A");
}

TEST(LineList, ReplacesRemovesAndAppendsOtherLists) {
  LineList list = Of({"a", "b", "c"});
  list.ReplaceLine(1, "B");
  list.RemoveLine(0);
  list.AppendLines(Of({"d", "d"}));
  EXPECT_EQ(LinesOf(list), (std::vector<std::string>{"B", "c", "d", "d"}));
  // The list's own lines, read in place, as what is appended or put in.
  list.AppendLines(list);
  list.AppendLine(list.LineAt(0));
  list.ReplaceLine(1, list.LineAt(0));
  EXPECT_EQ(LinesOf(list), (std::vector<std::string>{"B", "B", "d", "d", "B", "c", "d", "d", "B"}));
  list.RemoveAll();
  EXPECT_EQ(list.LineCount(), 0);
}

// Each line joined with CR LF whatever its break, also where lines around a removed one meet.
TEST(LineList, JoinsEachLineWithCrLfWhateverItsBreakAndAfterARemoval) {
  for (int removed = -1; removed < 7; ++removed) {
    SCOPED_TRACE(removed);
    LineList list;
    list.AssignText("a\r\nb\n\nc\rd\r\n\r\ne");
    std::vector<std::string> lines{"a", "b", "", "c", "d", "", "e"};
    if (removed >= 0) {
      list.RemoveLine(removed);
      lines.erase(lines.begin() + removed);
    }
    std::string joined;
    for (const std::string& line : lines) joined += line + "\r\n";
    EXPECT_EQ(list.JoinedText(), joined);
  }
}

TEST(LineFile, BytesAfterANulSurviveALoadAndStore) {
  ScratchFolder folder;
  const std::string path = folder.File("a.cnt");
  const std::string tail("\0tail=x\r\n", 9);
  WriteBytes(path, "keep\r\ndrop\r\n" + tail);
  LineList list;
  list.LoadLines(path);
  EXPECT_EQ(LinesOf(list), (std::vector<std::string>{"keep", "drop"}));
  list.RemoveLine(1);
  list.StoreLines(path);
  EXPECT_EQ(ReadBytes(path), "keep\r\n" + tail);
  // The same list, loaded again as each help entry loads it, holds only the
  // new file's lines and keeps them when a later load fails.
  const std::string other = folder.File("b.cnt");
  WriteBytes(other, "other\r\n");
  list.LoadLines(other);
  EXPECT_THROW(list.LoadLines(folder.File("missing.cnt")), platform::EFOpenError);
  list.StoreLines(other);
  EXPECT_EQ(ReadBytes(other), "other\r\n");
}

TEST(LineFile, AMissingFileCannotBeOpenedAndTheListStays) {
  ScratchFolder folder;
  LineList list = Of({"x"});
  const std::string path = folder.File("missing.cnt");
  EXPECT_EQ(RaisedBy([&] { list.LoadLines(path); }), "EFOpenError: Cannot open file " + path);
  EXPECT_EQ(list.LineCount(), 1);
}

namespace {

// The lead bytes of a code page as Windows has them.
template <UINT CodePage>
bool LeadByteOf(unsigned char byte) {
  return IsDBCSLeadByteEx(CodePage, byte) != FALSE;
}

}  // namespace

TEST(PathHelpers, AddTrailingBackslashAndFolderOfPathLookAtCharactersNotBytes) {
  // Each double-byte character here ends in 0x5C: "表" (932), "乗" (936), "許" (950).
  const struct {
    platform::LeadByteTest codePage;
    const char* name;
    std::string path, withBackslash, folderOfFile;
  } rows[] = {{&LeadByteOf<1252>, "1252", "C:\\D5", "C:\\D5\\", "C:\\D5"},
              {&LeadByteOf<1252>, "1252", "C:\\D5\\\\", "C:\\D5\\\\", "C:\\D5\\\\"},
              {&LeadByteOf<932>, "932", "C:\\Q\x95\x5C", "C:\\Q\x95\x5C\\", "C:\\Q\x95\x5C"},
              {&LeadByteOf<932>, "932", "C:\\Q\x95\x5C\\", "C:\\Q\x95\x5C\\", "C:\\Q\x95\x5C"},
              {&LeadByteOf<936>, "936", "C:\\\x81\x5C", "C:\\\x81\x5C\\", "C:\\\x81\x5C"},
              {&LeadByteOf<950>, "950", "D:\\\xB3\x5C\xB3\x5C", "D:\\\xB3\x5C\xB3\x5C\\", "D:\\\xB3\x5C\xB3\x5C"}};
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.name) + ": " + row.path);
    EXPECT_EQ(platform::AddTrailingBackslash(row.path, row.codePage), row.withBackslash);
    EXPECT_EQ(platform::FolderOfPath(row.withBackslash + "uninst.exe", row.codePage), row.folderOfFile);
  }
  EXPECT_EQ(setup::AddTrailingBackslash(""), "");
  // The process's own code page here is 1252, where 0x5C after 0x95 is a backslash.
  EXPECT_EQ(setup::AddTrailingBackslash("C:\\Q\x95\x5C"), "C:\\Q\x95\x5C");
}

TEST(PathHelpers, FileIsPresentOnlyForFiles) {
  ScratchFolder folder;
  WriteBytes(folder.File("f.inc"), "x");
  EXPECT_TRUE(setup::FileIsPresent(folder.File("f.inc")));
  EXPECT_FALSE(setup::FileIsPresent(folder.Path()));
  EXPECT_FALSE(setup::FileIsPresent(folder.File("none.inc")));
}

namespace {

decltype(&WriteFile) g_realWriteFile = nullptr;
int g_writeCalls = 0;
void* g_realHandleCall = nullptr;
int g_handleCalls = 0;

// The first write stops half-way with a full disk; later ones go through.
BOOL WINAPI WriteFileThatStopsHalfWay(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED) {
  if (g_writeCalls++ > 0) return g_realWriteFile(file, data, size, written, nullptr);
  DWORD half = 0;
  const BOOL ok = g_realWriteFile(file, data, size / 2, &half, nullptr);
  if (written) *written = half;
  SetLastError(ERROR_DISK_FULL);
  return ok && FALSE;
}

// The first close or flush of a file reports a failure (after doing its work
// all the same); those of other handles (the process's token) go through.
BOOL WINAPI FirstCallFails(HANDLE handle) {
  const bool file = GetFileType(handle) == FILE_TYPE_DISK;
  const BOOL closed = reinterpret_cast<decltype(&CloseHandle)>(g_realHandleCall)(handle);
  if (!file || g_handleCalls++ > 0) return closed;
  SetLastError(ERROR_DISK_FULL);
  return FALSE;
}

UINT WINAPI NoTemporaryFile(LPCSTR, LPCSTR, UINT, LPSTR) {
  SetLastError(ERROR_ACCESS_DENIED);
  return 0;
}

BOOL WINAPI ReplaceRefused(LPCSTR, LPCSTR, LPCSTR, DWORD, LPVOID, LPVOID) {
  SetLastError(ERROR_UNABLE_TO_REMOVE_REPLACED);
  return FALSE;
}

// Moves the target aside, then cannot move the new file in.
BOOL WINAPI ReplaceStoppedHalfWay(LPCSTR replaced, LPCSTR, LPCSTR, DWORD, LPVOID, LPVOID) {
  MoveFileExA(replaced, (std::string(replaced) + ".aside").c_str(), MOVEFILE_REPLACE_EXISTING);
  SetLastError(ERROR_UNABLE_TO_MOVE_REPLACEMENT_2);
  return FALSE;
}

// MoveFileExA refused, or as Windows 9x exports it (not implemented).
template <DWORD Error>
BOOL WINAPI MoveFileExFails(LPCSTR, LPCSTR, DWORD) {
  SetLastError(Error);
  return FALSE;
}

decltype(&MoveFileA) g_realMoveFile = nullptr;
int g_moves = 0;
// The first (target to backup) or the second (new file to target) move is
// refused; every other goes through.
template <int Refused>
BOOL WINAPI MoveRefused(LPCSTR from, LPCSTR to) {
  if (++g_moves != Refused) return g_realMoveFile(from, to);
  SetLastError(ERROR_ACCESS_DENIED);
  return FALSE;
}

// How the store puts its new file in place, as Windows 2000 and later, NT 4.0
// and 9x let it, named by the calls that it makes for that.
enum class Replacement { ReplaceFile, MoveFileEx, MoveFilePairs };
const char* const kReplacementNames[] = {"ReplaceFileA", "MoveFileExA", "MoveFileExA MoveFileA MoveFileA"};

// The store's calls that write, flush or put a file in place, in their order.
std::string g_calls;
const std::string kWrittenAndFlushed = " WriteFile FlushFileBuffers";
auto Logged(const char* name) {
  return [name](auto...) { g_calls += name; };
}

decltype(&GetProcAddress) g_realGetProcAddress = nullptr;
FARPROC g_replaceFile = nullptr;
FARPROC g_moveFileEx = nullptr;

BOOL WINAPI LoggedReplaceFile(LPCSTR a, LPCSTR b, LPCSTR c, DWORD d, LPVOID e, LPVOID f) {
  g_calls += " ReplaceFileA";
  return reinterpret_cast<decltype(&LoggedReplaceFile)>(reinterpret_cast<void*>(g_replaceFile))(a, b, c, d, e, f);
}

BOOL WINAPI LoggedMoveFileEx(LPCSTR from, LPCSTR to, DWORD flags) {
  g_calls += " MoveFileExA";
  return reinterpret_cast<decltype(&LoggedMoveFileEx)>(reinterpret_cast<void*>(g_moveFileEx))(from, to, flags);
}

FARPROC WINAPI BindAsOlderWindows(HMODULE module, LPCSTR name) {
  if (HIWORD(reinterpret_cast<ULONG_PTR>(name)) != 0) {
    if (std::strcmp(name, "ReplaceFileA") == 0)
      return g_replaceFile ? reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&LoggedReplaceFile)) : nullptr;
    if (std::strcmp(name, "MoveFileExA") == 0) return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&LoggedMoveFileEx));
  }
  return g_realGetProcAddress(module, name);
}

// The kernel32 of a Windows without ReplaceFileA (NT 4.0), or also with
// MoveFileExA failing as not implemented (9x), as the program binds it; a
// stand-in given is bound in place of the first of the two that is used.
// Logs the store's calls in g_calls.
class OlderWindows {
 public:
  explicit OlderWindows(Replacement way, const void* standIn = nullptr)
      : swap_("kernel32.dll", "GetProcAddress", reinterpret_cast<const void*>(&BindAsOlderWindows)) {
    g_realGetProcAddress = reinterpret_cast<decltype(&GetProcAddress)>(swap_.Original());
    const auto bound = reinterpret_cast<FARPROC>(const_cast<void*>(standIn));
    g_replaceFile = way != Replacement::ReplaceFile ? nullptr
                    : standIn ? bound
                              : g_realGetProcAddress(GetModuleHandleA("kernel32.dll"), "ReplaceFileA");
    g_moveFileEx = way == Replacement::MoveFilePairs ? reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&MoveFileExFails<ERROR_CALL_NOT_IMPLEMENTED>))
                   : way == Replacement::MoveFileEx && standIn ? bound
                                     : g_realGetProcAddress(GetModuleHandleA("kernel32.dll"), "MoveFileExA");
  }
  bool Swapped() const { return swap_.Swapped(); }

 private:
  ImportSwap swap_;
  Spy<decltype(&WriteFile)> write_{"kernel32.dll", "WriteFile", Logged(" WriteFile")};
  Spy<decltype(&FlushFileBuffers)> flush_{"kernel32.dll", "FlushFileBuffers", Logged(" FlushFileBuffers")};
  Spy<decltype(&MoveFileA)> move_{"kernel32.dll", "MoveFileA", Logged(" MoveFileA")};
};

constexpr Replacement kReplacements[] = {Replacement::ReplaceFile, Replacement::MoveFileEx, Replacement::MoveFilePairs};

// Another user who watches the folder puts a hard link to a file of theirs
// in the place of the store's temporary file: at the first name that
// GetTempFileNameA gives (deleting a file that it made there), and right
// after every temporary file that the store itself makes.
decltype(&CreateFileA) g_realCreateFile = nullptr;
std::string g_outside;
std::vector<std::string> g_planted;
void PlantLinkAt(const std::string& name) {
  DeleteFileA(name.c_str());
  if (CreateHardLinkA(name.c_str(), g_outside.c_str(), nullptr)) g_planted.push_back(name);
}
HANDLE WINAPI CreateThenPlant(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                              DWORD disposition, DWORD flags, HANDLE model) {
  HANDLE file = g_realCreateFile(name, access, share, security, disposition, flags, model);
  const char* const base = std::strrchr(name, '\\');
  if (file != INVALID_HANDLE_VALUE && base && std::strncmp(base, "\\qnl", 4) == 0) PlantLinkAt(name);
  return file;
}
struct LinkPlanter {
  explicit LinkPlanter(std::string outside) {
    g_outside = std::move(outside);
    g_planted.clear();
    g_realCreateFile = reinterpret_cast<decltype(&CreateFileA)>(create.Original());
  }
  ~LinkPlanter() {
    for (const std::string& name : g_planted) DeleteFileA(name.c_str());
  }
  ImportSwap create{"kernel32.dll", "CreateFileA", reinterpret_cast<const void*>(&CreateThenPlant)};
  Spy<decltype(&GetTempFileNameA)> named{"kernel32.dll", "GetTempFileNameA", nullptr,
      [](LPCSTR, LPCSTR, UINT, LPCSTR name) { if (g_planted.empty()) PlantLinkAt(name); }};
};

struct FileState {
  std::string bytes;
  DWORD attributes = 0;
  FILETIME created{};
};

FileState StateOf(const std::string& path) {
  FileState state{ReadBytes(path), GetFileAttributesA(path.c_str()), {}};
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) state.created = data.ftCreationTime;
  return state;
}

// The file system's number of the file at path: a file put in the target's
// place has another than the target rewritten in place.
ULONGLONG FileNumberOf(const std::string& path) {
  const platform::UniqueFile file(CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                              nullptr, OPEN_EXISTING, 0, nullptr));
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(file.Get(), &info)) return 0;
  return (static_cast<ULONGLONG>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
}

bool NoTemporaryFileLeft(const ScratchFolder& folder) {
  WIN32_FIND_DATAA found;
  platform::UniqueFind search(FindFirstFileA(folder.File("qnl*").c_str(), &found));
  return !search.IsValid();
}

}  // namespace

// And when another user puts a link to a file of theirs where the temporary
// file is: that file stays as it was, and the new text reaches the target.
TEST(LineFile, LoadedLfTextIsStoredBackWithCrLfAfterEveryLineByEveryWayOfReplacing) {
  for (const Replacement way : kReplacements)
  for (const bool linkPlanted : {false, true}) {
    SCOPED_TRACE(std::string(kReplacementNames[static_cast<int>(way)]) + (linkPlanted ? ", link planted" : ""));
    const OlderWindows windows(way);
    ASSERT_TRUE(windows.Swapped());
    ScratchFolder folder;
    ScratchFolder elsewhere;
    const std::string path = folder.File("a.cnt");
    const std::string outside = elsewhere.File("theirs.txt");
    WriteBytes(path, "a\nb");
    WriteBytes(outside, "not to be changed\r\n");
    SetFileAttributesA(outside.c_str(), FILE_ATTRIBUTE_HIDDEN);
    const DWORD outsideAttributes = GetFileAttributesA(outside.c_str());
    const ULONGLONG target = FileNumberOf(path);
    const std::string rights = FileDaclText(path);
    LineList list;
    list.LoadLines(path);
    g_calls.clear();
    {
      std::optional<LinkPlanter> planter;
      if (linkPlanted) planter.emplace(outside);
      list.StoreLines(path);
    }
    EXPECT_EQ(ReadBytes(outside), "not to be changed\r\n");
    EXPECT_EQ(GetFileAttributesA(outside.c_str()), outsideAttributes);
    SetFileAttributesA(outside.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(ReadBytes(path), "a\r\nb\r\n");
    EXPECT_NE(FileNumberOf(path), target);  // replaced, not rewritten in place
    // A rename of the store's own gives the new file the target's rights
    // (Wine's ReplaceFileA, unlike Windows', leaves it those it was made with).
    if (way != Replacement::ReplaceFile) {
      EXPECT_EQ(FileDaclText(path), rights);
    }
    // The new text is on the disk before it takes the name; a new target before the store is done.
    EXPECT_EQ(g_calls, kWrittenAndFlushed + ' ' + kReplacementNames[static_cast<int>(way)]);
    g_calls.clear();
    list.StoreLines(folder.File("new.cnt"));
    EXPECT_EQ(g_calls, kWrittenAndFlushed);
    WriteBytes(path, "");
    list.LoadLines(path);
    EXPECT_EQ(list.LineCount(), 0);
    list.StoreLines(path);
    EXPECT_EQ(ReadBytes(path), "");
    EXPECT_TRUE(NoTemporaryFileLeft(folder));
  }
}

TEST(LineFile, AFailedWriteFlushOrCloseLeavesAnExistingTargetAsItWasAndANewOneGone) {
  // Rewritten in place, the text is on the disk once it is flushed: a close
  // failing after that changes nothing, and has no case.
  const struct {
    bool existing;
    bool temporary;
    const char* fault;
  } cases[] = {{true, true, "WriteFile"},  {true, true, "CloseHandle"},  {true, false, "WriteFile"},
               {false, true, "WriteFile"}, {false, true, "CloseHandle"}, {false, false, "WriteFile"},
               {true, true, "FlushFileBuffers"}, {true, false, "FlushFileBuffers"}, {false, true, "FlushFileBuffers"}};
  for (const Replacement way : kReplacements)
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.existing ? "existing" : "new") + (c.temporary ? ", temporary file, " : ", in place, ") +
                 c.fault + ", " + kReplacementNames[static_cast<int>(way)]);
    const OlderWindows windows(way);
    ScratchFolder folder;
    const std::string path = folder.File("help.cnt");
    if (c.existing) {
      WriteBytes(path, "old one\r\nold two\r\n");
      SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_ARCHIVE);
    }
    const FileState before = StateOf(path);
    std::optional<ImportSwap> noTemporary;
    if (!c.temporary) noTemporary.emplace("kernel32.dll", "GetTempFileNameA", reinterpret_cast<const void*>(&NoTemporaryFile));
    const bool write = std::string(c.fault) == "WriteFile";
    ImportSwap swap("kernel32.dll", c.fault, write ? reinterpret_cast<const void*>(&WriteFileThatStopsHalfWay)
                                                   : reinterpret_cast<const void*>(&FirstCallFails));
    ASSERT_TRUE(swap.Swapped());
    g_realWriteFile = reinterpret_cast<decltype(&WriteFile)>(swap.Original());
    g_realHandleCall = swap.Original();
    g_writeCalls = g_handleCalls = 0;
    EXPECT_EQ(RaisedBy([&] { Of({"new content that is long enough"}).StoreLines(path); }),
              "EWriteError: Stream write error");
    if (c.existing) {
      const FileState after = StateOf(path);
      EXPECT_EQ(after.bytes, before.bytes);
      EXPECT_EQ(after.attributes, before.attributes);
      // Wine takes the creation time from the file's last status change,
      // which rewriting in place (and undoing it) makes; Windows keeps it.
      if (c.temporary) {
        EXPECT_EQ(CompareFileTime(&after.created, &before.created), 0);
      }
    }
    EXPECT_EQ(Exists(path), c.existing);
    EXPECT_TRUE(NoTemporaryFileLeft(folder));
  }
}

// Rewritten in place, or, when the replacement stopped half-way, finished by
// moving the temporary file to the target's name.
TEST(LineFile, WithoutATemporaryFileOrTheRightToReplaceTheTargetIsRewrittenInPlace) {
  // ReplaceFileA and MoveFileExA are bound by the program, the others imported.
  const struct {
    Replacement way;
    const char* function;
    const void* standIn;
  } refusals[] = {
      {Replacement::ReplaceFile, "GetTempFileNameA", reinterpret_cast<const void*>(&NoTemporaryFile)},
      {Replacement::ReplaceFile, "ReplaceFileA", reinterpret_cast<const void*>(&ReplaceRefused)},
      {Replacement::ReplaceFile, "ReplaceFileA", reinterpret_cast<const void*>(&ReplaceStoppedHalfWay)},
      {Replacement::MoveFileEx, "MoveFileExA", reinterpret_cast<const void*>(&MoveFileExFails<ERROR_ACCESS_DENIED>)},
      {Replacement::MoveFilePairs, "GetTempFileNameA", reinterpret_cast<const void*>(&NoTemporaryFile)},
      {Replacement::MoveFilePairs, "MoveFileA", reinterpret_cast<const void*>(&MoveRefused<1>)},
      {Replacement::MoveFilePairs, "MoveFileA", reinterpret_cast<const void*>(&MoveRefused<2>)}};
  for (const auto& refusal : refusals) {
    SCOPED_TRACE(std::string(kReplacementNames[static_cast<int>(refusal.way)]) + ", " + refusal.function);
    ScratchFolder folder;
    const std::string path = folder.File("prod.inc");
    WriteBytes(path, "a much longer old content\r\n");
    const bool bound = std::strcmp(refusal.function, "ReplaceFileA") == 0 || std::strcmp(refusal.function, "MoveFileExA") == 0;
    // cppcheck-suppress unreadVariable ; held for the row: the store binds its functions as older Windows does
    const OlderWindows windows(refusal.way, bound ? refusal.standIn : nullptr);
    std::optional<ImportSwap> swap;
    if (!bound) {
      swap.emplace("kernel32.dll", refusal.function, refusal.standIn);
      ASSERT_TRUE(swap->Swapped());
      g_realMoveFile = reinterpret_cast<decltype(&MoveFileA)>(swap->Original());
      g_moves = 0;
    }
    const ULONGLONG target = FileNumberOf(path);
    g_calls.clear();
    Of({"new"}).StoreLines(path);
    EXPECT_EQ(ReadBytes(path), "new\r\n");
    // A replacement that stopped half-way is finished by moving the flushed new file in.
    const bool halfWay = refusal.standIn == reinterpret_cast<const void*>(&ReplaceStoppedHalfWay);
    EXPECT_EQ(FileNumberOf(path) == target, !halfWay);
    EXPECT_EQ(g_calls.substr(g_calls.rfind(" WriteFile")), kWrittenAndFlushed + (halfWay ? " ReplaceFileA MoveFileA" : ""));
    EXPECT_TRUE(NoTemporaryFileLeft(folder));
  }
}

namespace {

// Windows 9x's second move, after another program took the target's name.
BOOL WINAPI NameTakenBeforeTheSecondMove(LPCSTR from, LPCSTR to) {
  if (++g_moves != 2) return g_realMoveFile(from, to);
  WriteBytes(to, "another program's\r\n");
  SetLastError(ERROR_ALREADY_EXISTS);
  return FALSE;
}

}  // namespace

// ReplaceFileA moved the old file off its name and the new one cannot take
// it: the temporary file beside it keeps the new text. Windows 9x moved the
// old file to its backup and another program took the name before the new
// one could: the backup keeps the old text, and the other file stays.
TEST(LineFile, WhenTheNewTextCannotTakeTheNameTheFileBesideItKeepsWhatWouldBeLost) {
  const struct {
    Replacement way;
    const void* replaceStandIn;
    const void* moveStandIn;
    const char* target;  // its bytes after, or "<missing>"
    const char* kept;    // the one qnl file's
  } rows[] = {
      {Replacement::ReplaceFile, reinterpret_cast<const void*>(&ReplaceStoppedHalfWay),
       reinterpret_cast<const void*>(&MoveRefused<1>), "<missing>", "new\r\n"},
      {Replacement::MoveFilePairs, nullptr, reinterpret_cast<const void*>(&NameTakenBeforeTheSecondMove),
       "another program's\r\n", "old\r\n"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(kReplacementNames[static_cast<int>(row.way)]);
    ScratchFolder folder;
    const std::string path = folder.File("prod.inc");
    WriteBytes(path, "old\r\n");
    const OlderWindows windows(row.way, row.replaceStandIn);
    ImportSwap move("kernel32.dll", "MoveFileA", row.moveStandIn);
    ASSERT_TRUE(windows.Swapped() && move.Swapped());
    g_realMoveFile = reinterpret_cast<decltype(&MoveFileA)>(move.Original());
    g_moves = 0;
    EXPECT_EQ(RaisedBy([&] { Of({"new"}).StoreLines(path); }), "EFCreateError: Cannot create file " + path);
    EXPECT_EQ(ReadBytes(path), row.target);
    WIN32_FIND_DATAA found;
    platform::UniqueFind search(FindFirstFileA(folder.File("qnl*").c_str(), &found));
    ASSERT_TRUE(search.IsValid());
    EXPECT_EQ(ReadBytes(folder.File(found.cFileName)), row.kept);
    EXPECT_FALSE(FindNextFileA(search.Get(), &found));
  }
}

namespace {

// The target shows as a reparse point of that tag, by its handle and in its
// folder's listing, as Windows shows a file that it keeps compressed or
// deduplicated, a cloud placeholder, a symbolic link or a junction.
DWORD g_tag = 0, g_taggedIndex = 0;
std::string g_tagged;
decltype(&GetFileInformationByHandle) g_realInformation = nullptr;
decltype(&FindFirstFileA) g_realFindFirst = nullptr;
BOOL WINAPI TaggedInformation(HANDLE file, LPBY_HANDLE_FILE_INFORMATION info) {
  const BOOL ok = g_realInformation(file, info);
  if (ok && info->nFileIndexLow == g_taggedIndex) info->dwFileAttributes |= FILE_ATTRIBUTE_REPARSE_POINT;
  return ok;
}
HANDLE WINAPI TaggedListing(LPCSTR name, LPWIN32_FIND_DATAA found) {
  HANDLE search = g_realFindFirst(name, found);
  if (search != INVALID_HANDLE_VALUE && name == g_tagged) {
    found->dwFileAttributes |= FILE_ATTRIBUTE_REPARSE_POINT;
    found->dwReserved0 = g_tag;
  }
  return search;
}

}  // namespace

// Only a name surrogate leads elsewhere by its name; the other kinds are
// files of their own, read and written through their file system.
TEST(LineFile, OnlyAReparsePointThatLeadsElsewhereIsRefused) {
  const struct { DWORD tag; bool refused; } rows[] = {{IO_REPARSE_TAG_WOF, false}, {IO_REPARSE_TAG_DEDUP, false}, {IO_REPARSE_TAG_CLOUD, false},
              {IO_REPARSE_TAG_SYMLINK, true}, {IO_REPARSE_TAG_MOUNT_POINT, true}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.tag);
    ScratchFolder folder;
    g_tagged = folder.File("help.cnt");
    WriteBytes(g_tagged, "one\r\ntwo\r\n");
    g_tag = row.tag;
    g_taggedIndex = static_cast<DWORD>(FileNumberOf(g_tagged));
    ImportSwap information("kernel32.dll", "GetFileInformationByHandle", reinterpret_cast<const void*>(&TaggedInformation));
    ImportSwap listing("kernel32.dll", "FindFirstFileA", reinterpret_cast<const void*>(&TaggedListing));
    ASSERT_TRUE(information.Swapped() && listing.Swapped());
    g_realInformation = reinterpret_cast<decltype(&GetFileInformationByHandle)>(information.Original());
    g_realFindFirst = reinterpret_cast<decltype(&FindFirstFileA)>(listing.Original());
    platform::LineList lines;
    if (row.refused) {
      EXPECT_EQ(RaisedBy([&] { lines.LoadLines(g_tagged); }), "EFOpenError: Cannot open file " + g_tagged);
      EXPECT_EQ(RaisedBy([&] { Of({"new"}).StoreLines(g_tagged); }), "EFCreateError: Cannot create file " + g_tagged);
      EXPECT_EQ(ReadBytes(g_tagged), "one\r\ntwo\r\n");
    } else {
      lines.LoadLines(g_tagged);
      ASSERT_EQ(lines.LineCount(), 2);
      lines.RemoveLine(0);
      lines.StoreLines(g_tagged);
      EXPECT_EQ(ReadBytes(g_tagged), "two\r\n");
    }
  }
}

TEST(LineFile, AFileThatCannotBeCreatedIsLeftUntouched) {
  ScratchFolder folder;
  const std::string readOnly = folder.File("ro.inc");
  WriteBytes(readOnly, "old");
  SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
  const std::string noFolder = folder.File("none\\x.inc");
  CreateDirectoryA(folder.File("sub.inc").c_str(), nullptr);
  for (const std::string& path : {readOnly, noFolder, folder.File("sub.inc")}) {
    EXPECT_EQ(RaisedBy([&] { Of({"new"}).StoreLines(path); }), "EFCreateError: Cannot create file " + path);
  }
  EXPECT_EQ(ReadBytes(readOnly), "old");
  EXPECT_TRUE(NoTemporaryFileLeft(folder));
}
