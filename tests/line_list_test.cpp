#include <gtest/gtest.h>

#include <optional>

#include "platform/errors.h"
#include "platform/line_list.h"
#include "platform/unique_handle.h"
#include "setup/path_helpers.h"
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

TEST(LineFile, LoadedLfTextIsStoredBackWithCrLfAfterEveryLine) {
  ScratchFolder folder;
  const std::string path = folder.File("a.cnt");
  WriteBytes(path, "a\nb");
  LineList list;
  list.LoadLines(path);
  list.StoreLines(path);
  EXPECT_EQ(ReadBytes(path), "a\r\nb\r\n");
  WriteBytes(path, "");
  list.LoadLines(path);
  EXPECT_EQ(list.LineCount(), 0);
  list.StoreLines(path);
  EXPECT_EQ(ReadBytes(path), "");
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

TEST(PathHelpers, AddTrailingBackslashLooksOnlyAtTheLastCharacter) {
  EXPECT_EQ(setup::AddTrailingBackslash(""), "");
  EXPECT_EQ(setup::AddTrailingBackslash("C:\\D5"), "C:\\D5\\");
  EXPECT_EQ(setup::AddTrailingBackslash("C:\\D5\\\\"), "C:\\D5\\\\");
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
void* g_realClose = nullptr;
int g_closeCalls = 0;

// The first write stops half-way with a full disk; later ones go through.
BOOL WINAPI WriteFileThatStopsHalfWay(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED) {
  if (g_writeCalls++ > 0) return g_realWriteFile(file, data, size, written, nullptr);
  DWORD half = 0;
  const BOOL ok = g_realWriteFile(file, data, size / 2, &half, nullptr);
  if (written) *written = half;
  SetLastError(ERROR_DISK_FULL);
  return ok && FALSE;
}

// The first close reports a failure (the handle is closed all the same).
BOOL WINAPI CloseThatFails(HANDLE handle) {
  const BOOL closed = reinterpret_cast<decltype(&CloseHandle)>(g_realClose)(handle);
  if (g_closeCalls++ > 0) return closed;
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

bool NoTemporaryFileLeft(const ScratchFolder& folder) {
  WIN32_FIND_DATAA found;
  platform::UniqueFind search(FindFirstFileA(folder.File("qnl*").c_str(), &found));
  return !search.IsValid();
}

}  // namespace

TEST(LineFile, AFailedWriteOrCloseLeavesAnExistingTargetAsItWasAndANewOneGone) {
  // Rewritten in place, the text is on the disk once it is flushed: a close
  // failing after that changes nothing, and has no case.
  const struct {
    bool existing;
    bool temporary;
    const char* fault;
  } cases[] = {{true, true, "WriteFile"},  {true, true, "CloseHandle"},  {true, false, "WriteFile"},
               {false, true, "WriteFile"}, {false, true, "CloseHandle"}, {false, false, "WriteFile"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.existing ? "existing" : "new") + (c.temporary ? ", temporary file, " : ", in place, ") + c.fault);
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
                                                   : reinterpret_cast<const void*>(&CloseThatFails));
    ASSERT_TRUE(swap.Swapped());
    g_realWriteFile = reinterpret_cast<decltype(&WriteFile)>(swap.Original());
    g_realClose = swap.Original();
    g_writeCalls = g_closeCalls = 0;
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
  const struct {
    const char* function;
    const void* standIn;
  } refusals[] = {{"GetTempFileNameA", reinterpret_cast<const void*>(&NoTemporaryFile)},
                  {"ReplaceFileA", reinterpret_cast<const void*>(&ReplaceRefused)},
                  {"ReplaceFileA", reinterpret_cast<const void*>(&ReplaceStoppedHalfWay)}};
  for (const auto& refusal : refusals) {
    SCOPED_TRACE(refusal.function);
    ScratchFolder folder;
    const std::string path = folder.File("prod.inc");
    WriteBytes(path, "a much longer old content\r\n");
    ImportSwap swap("kernel32.dll", refusal.function, refusal.standIn);
    ASSERT_TRUE(swap.Swapped());
    Of({"new"}).StoreLines(path);
    EXPECT_EQ(ReadBytes(path), "new\r\n");
    EXPECT_TRUE(NoTemporaryFileLeft(folder));
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
