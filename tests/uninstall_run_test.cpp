#include <gtest/gtest.h>

#include <cstdio>

#include "tests/support/boxes.h"
#include "tests/support/import_swap.h"
#include "tests/support/scratch.h"
#include "uninstall/uninstall_run.h"

using namespace testing_support;

namespace {

const char kRefusal[] = "Do not call this program directly.\r\nUse Add/Remove Programs to remove this application.";

// The uninstaller, copied into a scratch folder and started with arguments.
struct Uninstaller {
  ScratchFolder folder;
  std::string exe = folder.File("uninstall.exe");
  Uninstaller() { CopyUninstallProgram(exe); }
  // A completed run removes the program file through its batch file, which
  // may still be running: it goes before the folder does.
  ~Uninstaller() {
    if (Exists(folder.File("$delme.bat"))) GoneWithin({exe, folder.File("$delme.bat")}, 10000);
  }
  std::vector<SeenBox> Run(const std::string& arguments, int confirmAnswer, DWORD* exitCode) const {
    return RunAndAnswer("\"" + exe + "\"" + arguments, {{"Uninstall", confirmAnswer}}, exitCode);
  }
};

// The names of the uninstall records, in enumeration order, less the scratch
// and sample records that other test programs may make meanwhile.
std::vector<std::string> RecordNames() {
  const platform::UniqueRegKey parent = OpenKey(HKEY_LOCAL_MACHINE, UninstallKeyPath(""));
  std::vector<std::string> names;
  char name[256];
  for (DWORD i = 0, length = sizeof name; RegEnumKeyExA(parent.Get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
       ++i, length = sizeof name) {
    const std::string found(name, length);
    if (found.rfind("QnlTestRecord-", 0) != 0 && found != "Quenlar Sample Library") names.push_back(found);
  }
  return names;
}

// DLLs that Windows looks for in the program's folder first, none of them a
// KnownDLL: the common controls, what the system loads for a window
// (uxtheme, dwmapi), and the C++ run-time's own DLL, which its start-up code
// names without a path. (version.dll is one too, but Wine's user32 imports
// it: Wine loads it before any of the program's code runs.)
const char* const kPlantedDlls[] = {"comctl32", "uxtheme", "dwmapi", QNL_RUNTIME_DLL};

// Wine's load order for some DLLs of the program of that file name (its
// AppDefaults), while the object lives: "native,builtin" looks for them as
// Windows does, in the program's folder first; "" disables them.
class WineDllOrder {
 public:
  WineDllOrder(const std::string& program, const std::vector<std::string>& dlls, const std::string& order)
      : key_("Software\\Wine\\AppDefaults\\" + program) {
    for (const std::string& dll : dlls) SetRegistryValue(HKEY_CURRENT_USER, key_ + "\\DllOverrides", dll, REG_SZ, order + '\0');
  }
  ~WineDllOrder() { DeleteTree(HKEY_CURRENT_USER, key_); }
  WineDllOrder(const WineDllOrder&) = delete;
  WineDllOrder& operator=(const WineDllOrder&) = delete;

 private:
  std::string key_;
};

LPSTR WINAPI CommandLineWithoutArgument() { return const_cast<LPSTR>("\"C:\\P\\uninstall.exe\""); }

}  // namespace

TEST(UninstallEntry, WithoutArgumentOrWithOnlyEmptyQuotesItRefusesAndLeavesTheRegistry) {
  Uninstaller uninstaller;
  for (const char* arguments : {"", " \"\""}) {
    SCOPED_TRACE(arguments);
    DWORD exitCode = 0;
    const std::vector<std::string> before = RecordNames();
    const auto boxes = uninstaller.Run(arguments, IDOK, &exitCode);
    EXPECT_EQ(RecordNames(), before);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Uninstall");
    EXPECT_EQ(boxes[0].text, kRefusal);
    EXPECT_EQ(boxes[0].buttons, std::vector<int>{IDOK});
    EXPECT_EQ(exitCode, 0u);
  }
}

TEST(UninstallEntry, TheConfirmationNamesTheRecordWholeAndOnlyYesGoesOn) {
  ScratchRecord record;
  const std::string spaced = record.Name() + " With Spaces";
  DeleteTree(HKEY_LOCAL_MACHINE, UninstallKeyPath(spaced));
  SetRegistryValue(HKEY_LOCAL_MACHINE, UninstallKeyPath(spaced), "PRODUCTNAME", REG_SZ, std::string("P\0", 2));
  const struct {
    std::string arguments;
    std::string name;
    int answer;
  } runs[] = {{" " + record.Name(), record.Name(), IDNO},  // no record is made
              {" \"" + spaced + "\"", spaced, IDYES},      // quoted with spaces: its record is deleted
              {" " + record.Name() + " ignored words", record.Name(), IDYES}};  // a missing record stays missing
  for (const auto& run : runs) {
    SCOPED_TRACE(run.arguments);
    const Uninstaller uninstaller;
    DWORD exitCode = 1;
    const auto boxes = uninstaller.Run(run.arguments, run.answer, &exitCode);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Are you sure you want to completely remove the " + run.name + "?");
    EXPECT_EQ(boxes[0].buttons, (std::vector<int>{IDYES, IDNO}));
    EXPECT_EQ(exitCode, 0u);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, UninstallKeyPath(run.name)));
  }
}

TEST(UninstallEntry, TheRefusalShowsTheErrorIconAndTheConfirmationTheQuestionIcon) {
  {
    ImportSwap swap("kernel32.dll", "GetCommandLineA", reinterpret_cast<const void*>(&CommandLineWithoutArgument));
    ASSERT_TRUE(swap.Swapped());
    BoxAnswerer refusal("Uninstall", IDOK);
    uninstall::UninstallEntry();
    EXPECT_EQ(refusal.Seen().text, kRefusal);
    EXPECT_EQ(refusal.Seen().icon, LoadIconA(nullptr, IDI_HAND));
  }
  uninstall::SetUninstallKeyName("Some Product");
  BoxAnswerer confirmation("Uninstall", IDNO);
  EXPECT_FALSE(uninstall::ConfirmUninstall());
  EXPECT_EQ(confirmation.Seen().icon, LoadIconA(nullptr, IDI_QUESTION));
  EXPECT_EQ(confirmation.Seen().buttons, (std::vector<int>{IDYES, IDNO}));
}

TEST(UninstallEntry, NoDllBesideTheProgramIsLoadedInARefusalOrAWholeRun) {
  const std::vector<std::string> planted(std::begin(kPlantedDlls), std::end(kPlantedDlls));
  // Without comctl32 at all, the progress dialog cannot be made: the run goes
  // on without it.
  const struct {
    const char* program;  // each with its own load order
    std::vector<std::string> dlls;
    const char* order;
    bool named;  // started with a record's name, else refused
  } runs[] = {{"qnl-planted.exe", planted, "native,builtin", false},
              {"qnl-planted.exe", planted, "native,builtin", true},
              {"qnl-no-comctl32.exe", {"comctl32"}, "", true}};
  for (const auto& run : runs) {
    SCOPED_TRACE(std::string(run.program) + (run.named ? " run" : " refusal"));
    const ScratchRecord record;
    const ScratchFolder folder;
    const std::string exe = folder.File(run.program);
    CopyUninstallProgram(exe);
    for (const std::string& dll : planted)
      ASSERT_TRUE(CopyFileA(ProgramPath("planted\\" + dll + ".dll").c_str(), folder.File(dll + ".dll").c_str(), FALSE)) << dll;
    const WineDllOrder order(run.program, run.dlls, run.order);
    DWORD exitCode = 1;
    const auto boxes = RunAndAnswer("\"" + exe + "\"" + (run.named ? " " + record.Name() : ""), {{"Uninstall", IDYES}}, &exitCode);
    if (run.named) {
      EXPECT_TRUE(GoneWithin({exe, folder.File("$delme.bat")}, 20000));
    }
    for (const std::string& dll : planted) EXPECT_FALSE(Exists(folder.File(dll + ".dll.ran"))) << dll;
    EXPECT_FALSE(record.Exists());
    EXPECT_EQ(exitCode, 0u);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, run.named ? "Are you sure you want to completely remove the " + record.Name() + "?" : kRefusal);
  }
}

namespace {

// "Quenlar Uninstall YYYY-MM-DD #NNN" in the temporary folder, today.
std::string DefaultLogFolder(int number) {
  char temp[MAX_PATH + 1];
  const DWORD length = GetTempPathA(sizeof temp, temp);
  SYSTEMTIME now{};
  GetLocalTime(&now);
  char name[64];
  (void)std::snprintf(name, sizeof name, "Quenlar Uninstall %04u-%02u-%02u #%03d", now.wYear, now.wMonth, now.wDay, number);
  return std::string(temp, length) + name;
}

// Runs a host program on the host's names of the paths (Wine starts one as
// any other, but gives no handle that tells its end) and waits until the
// last path exists, or with gone until it does not; true then. Wine makes no
// symbolic link itself: the host's ln plants one.
bool RunOnHost(std::string line, const std::vector<std::string>& paths, bool gone = false) {
  using UnixName = char* CDECL(LPCWSTR);
  const auto unixName = reinterpret_cast<UnixName*>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  for (const std::string& path : paths) {
    const std::wstring wide(path.begin(), path.end());
    char* name = unixName(wide.c_str());
    line += " \"" + std::string(name) + "\"";
    HeapFree(GetProcessHeap(), 0, name);
  }
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  platform::UniqueProcessInformation started;
  CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, started.Receive());
  for (int i = 0; i < 200 && Exists(paths.back()) == gone; ++i) Sleep(10);
  return Exists(paths.back()) != gone;
}

}  // namespace

// Whatever another user put under the log's name (a file, a link to a file
// of theirs or of the system's) is never opened, written or followed: at a
// name given, the run ends before it does anything (exit code 1, in the
// interactive run the failure box); at the default place the next free
// folder is taken. The log gives no one else any right.
TEST(UninstallEntry, TheLogIsMadeNewAndPrivateAndNothingPlantedUnderItsNameIsFollowed) {
  const ScratchFolder planted;
  const std::string target = planted.File("target.txt");
  WriteBytes(target, "someone else's");
  WriteBytes(planted.File("planted.log"), "planted");
  // The default place's first two names taken: by a file, and by a link.
  WriteBytes(DefaultLogFolder(1), "planted");
  ASSERT_TRUE(RunOnHost("Z:\\bin\\ln -s", {target, planted.File("link.log")}));
  ASSERT_TRUE(RunOnHost("Z:\\bin\\ln -s", {target, DefaultLogFolder(2)}));
  const struct {
    std::string words;
    bool quiet;
    std::string log;  // where the run's log must be; empty: none may be made
  } runs[] = {{" /S \"/LOG=" + planted.File("planted.log") + "\"", true, ""},
              {" \"/LOG=" + planted.File("planted.log") + "\"", false, ""},
              {" /S \"/LOG=" + planted.File("link.log") + "\"", true, ""},
              {" /S", true, DefaultLogFolder(3) + "\\Uninstall.log"},
              {" /log", false, DefaultLogFolder(3) + "\\Uninstall.log"}};  // asked for, after the confirmation
  for (const auto& run : runs) {
    SCOPED_TRACE(run.words);
    const ScratchRecord record;
    record.SetValue("PRODUCTNAME", REG_SZ, std::string("P\0", 2));
    const Uninstaller uninstaller;
    DWORD exitCode = 0;
    const std::vector<SeenBox> boxes =
        RunAndAnswer("\"" + uninstaller.exe + "\" " + record.Name() + run.words, {{"Uninstall", IDYES}}, &exitCode);
    EXPECT_EQ(ReadBytes(planted.File("planted.log")), "planted");
    EXPECT_EQ(ReadBytes(target), "someone else's");
    EXPECT_EQ(ReadBytes(DefaultLogFolder(1)), "planted");
    EXPECT_EQ(boxes.size(), run.quiet ? 0u : 1u);
    if (run.log.empty()) {
      EXPECT_EQ(exitCode, 1u);
      EXPECT_TRUE(record.Exists());  // nothing done
      if (!run.quiet) {
        EXPECT_EQ(boxes[0].caption, "Application Error");
        EXPECT_EQ(boxes[0].text.substr(boxes[0].text.find('\n') + 1), "I/O error 80.");
      }
      continue;
    }
    EXPECT_EQ(exitCode, 0u);
    EXPECT_FALSE(record.Exists());
    const std::string text = ReadBytes(run.log);
    EXPECT_EQ(text.rfind("Quenlar uninstall of \"" + record.Name() + (run.quiet ? "\", quiet run, " : "\", interactive run, "), 0), 0u)
        << text;
    EXPECT_EQ(text.substr(text.size() - 26), "\r\nCompleted, exit code 0\r\n");
    EXPECT_FALSE(AllowsOthers(FileDaclText(run.log))) << FileDaclText(run.log);
    EXPECT_TRUE(GoneWithin({uninstaller.exe, uninstaller.folder.File("$delme.bat")}, 20000));
    DeleteFileA(run.log.c_str());
    RemoveDirectoryA(DefaultLogFolder(3).c_str());
  }
  DeleteFileA(DefaultLogFolder(1).c_str());
  for (const std::string& link : {DefaultLogFolder(2), planted.File("link.log")}) RunOnHost("Z:\\bin\\rm -f", {link}, true);
}
