// The floor of a whole uninstall run: only the platform calls that the
// uninstaller's steps must make, phase by phase, and nothing else.
//
//   bench_floor <uninstall key name>
//
// - confirmation: the same yes/no box (caption "Uninstall");
// - files: FILES read once; per stretch of up to 64 files (ending before a
//   name that it holds already) the claim: the counters' key opened once,
//   each file's counter read (one query), the user's hive flushed where
//   files were done since its last flush, the claim written beside FILES
//   (FILESDONE: the count, the stretch's counters) and the record's hive
//   flushed; then per file the counter key opened and closed, the counter
//   probed and read (two queries), then written back, or deleted followed by
//   the key-information query and the file's deletion, nothing written to
//   the record; the progress dialog from the same template is sent the file
//   name and the bar's position; at the end the user's hive flushed, FILES
//   written anew (empty), the record flushed and the count of none done
//   written;
// - product: PRODUCTNAME and SUBPRODUCTNAME read, each withdrawn sub-product's
//   value deleted, the remaining values listed, "FolderName" read, the
//   include file loaded and stored once (durably, as below);
// - folders: FOLDERS read, each folder removed, the deepest first;
// - help: INSTALLEDHELPS and DELPHIVER read, RootDir read, the contents file
//   found; per stretch of up to 64 entries the file loaded (open, its links
//   counted, size, one read, close), the text after each entry worked out on
//   a copy and hashed, the claim (INSTALLEDHELPSDONE: the count, the texts'
//   lengths and hashes) written and the record's hive flushed; per entry the
//   file loaded (the claim's load serving the stretch's first), each line's
//   target compared with CompareStringA up to the line that the entry names,
//   and the file stored without it durably (a file of its own made new
//   beside it, closed to other users, one write, flush, close, then
//   ReplaceFileA); at the end INSTALLEDHELPS written anew as FILES;
// - the record deleted;
// - self-removal: the program file's deletion tried, "$delme.bat" written
//   beside it and started hidden.
//
// The seconds of each phase go to C:\bench-floor-phases.txt, one line each.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/lap.h"
#include "ui/resource_ids.h"

namespace {

const char kCounters[] = "Software\\Quenlar\\InstalledFiles";
const char kProducts[] = "Software\\Quenlar\\InstalledProducts\\";
const char kRecords[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
const char kDelphi5[] = "Software\\Borland\\Delphi\\5.0";

std::string ReadText(HKEY root, const std::string& path, const char* name) {
  HKEY key = nullptr;
  std::string text;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return text;
  DWORD size = 0;
  if (RegQueryValueExA(key, name, nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS && size > 0) {
    text.resize(size);
    RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&text[0]), &size);
    text.resize(text.find('\0') == std::string::npos ? size : text.find('\0'));
  }
  RegCloseKey(key);
  return text;
}

std::string RecordValue(const std::string& keyName, const char* name) {
  return ReadText(HKEY_LOCAL_MACHINE, kRecords + keyName, name);
}

std::vector<std::string> Split(const std::string& text, const char* separators) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find_first_of(separators, start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  }
  return lines;
}

std::string Load(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  std::string bytes;
  if (file == INVALID_HANDLE_VALUE) return bytes;
  BY_HANDLE_FILE_INFORMATION found;
  if (!GetFileInformationByHandle(file, &found) || found.nNumberOfLinks != 1) {
    CloseHandle(file);
    return bytes;
  }
  const DWORD size = SetFilePointer(file, 0, nullptr, FILE_END);
  SetFilePointer(file, 0, nullptr, FILE_BEGIN);
  bytes.resize(size);
  DWORD read = 0;
  if (size) ReadFile(file, &bytes[0], size, &read, nullptr);
  CloseHandle(file);
  return bytes;
}

using ReplaceFileFunction = BOOL(WINAPI*)(LPCSTR, LPCSTR, LPCSTR, DWORD, LPVOID, LPVOID);

// A file closed to every other user: full access for the run's own account
// alone, built once.
struct PrivateSecurity {
  PrivateSecurity() {
    HANDLE token = nullptr;
    DWORD size = sizeof user;
    OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token);
    GetTokenInformation(token, TokenUser, user, size, &size);
    CloseHandle(token);
    InitializeAcl(reinterpret_cast<PACL>(acl), sizeof acl, ACL_REVISION);
    AddAccessAllowedAce(reinterpret_cast<PACL>(acl), ACL_REVISION, FILE_ALL_ACCESS,
                        reinterpret_cast<TOKEN_USER*>(user)->User.Sid);
    InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&descriptor, TRUE, reinterpret_cast<PACL>(acl), FALSE);
  }
  DWORD user[64] = {};
  DWORD acl[64] = {};
  SECURITY_DESCRIPTOR descriptor{};
  SECURITY_ATTRIBUTES attributes{sizeof attributes, &descriptor, FALSE};
};

SECURITY_ATTRIBUTES* Private() {
  static PrivateSecurity security;
  return &security.attributes;
}

// The store that leaves the target whole whatever stops the run and opens
// no file by a name another user could have taken: the bytes to a file made
// new beside it (a name of its own, closed to other users), written and
// flushed through the handle that made it, then put in its place by this
// Windows' rename (ReplaceFileA where it is there, which keeps the target's
// rights; else MoveFileExA, the target's rights read first). Built with
// BENCH_FLOOR_UNFLUSHED (bench_floor_unflushed) without the flush, so that a
// run shows what the flushes cost.
void Store(const std::string& path, const char* bytes, std::size_t size) {
  static const auto replaceFile = reinterpret_cast<ReplaceFileFunction>(
      reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "ReplaceFileA")));
  if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) return;
  const std::string folder = path.substr(0, path.rfind('\\'));
  char temp[MAX_PATH + 1];
  HANDLE file = INVALID_HANDLE_VALUE;
  for (UINT unique = 1; file == INVALID_HANDLE_VALUE && unique < 16; ++unique) {
    GetTempFileNameA(folder.c_str(), "qnl", unique, temp);
    file = CreateFileA(temp, GENERIC_READ | GENERIC_WRITE, 0, Private(), CREATE_NEW,
                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  }
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  if (size) WriteFile(file, bytes, static_cast<DWORD>(size), &written, nullptr);
#ifndef BENCH_FLOOR_UNFLUSHED
  FlushFileBuffers(file);
#endif
  CloseHandle(file);
  if (replaceFile) {
    replaceFile(path.c_str(), temp, nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr);
  } else {
    DWORD rights[128];
    DWORD needed = 0;
    GetFileSecurityA(path.c_str(), DACL_SECURITY_INFORMATION, rights, sizeof rights, &needed);
    MoveFileExA(temp, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    SetFileSecurityA(path.c_str(), DACL_SECURITY_INFORMATION, rights);
  }
}

void ReleaseAndDelete(const std::string& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kCounters, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExA(key, path.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
    DWORD count = 0;
    size = sizeof count;
    RegQueryValueExA(key, path.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&count), &size);
    --count;
    if (count != 0) {
      RegSetValueExA(key, path.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&count), sizeof count);
    } else {
      RegDeleteValueA(key, path.c_str());
      DWORD subkeys = 0;
      DWORD longestSubkey = 0;
      DWORD values = 0;
      DWORD longestValue = 0;
      DWORD longestData = 0;
      FILETIME written;
      RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, &longestSubkey, nullptr, &values, &longestValue,
                       &longestData, nullptr, &written);
      if (values == 0) RegDeleteKeyA(HKEY_CURRENT_USER, kCounters);
      DeleteFileA(path.c_str());
    }
  }
  RegCloseKey(key);
}

INT_PTR CALLBACK Ignore(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

DWORD Fnv(const char* text, std::size_t size) {
  DWORD hash = 2166136261u;
  for (std::size_t i = 0; i < size; ++i) hash = (hash ^ static_cast<unsigned char>(text[i])) * 16777619u;
  return hash;
}

void Put32(DWORD value, std::vector<BYTE>& bytes) {
  for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<BYTE>(value >> (8 * i)));
}

// What an entry's target showed before the entry, as a claim keeps it: two
// words (a counter's kind and value; a text's length and hash).
struct State {
  DWORD first = 0;
  DWORD second = 0;
};

// Entries claimed at most at once, as the uninstaller claims them.
constexpr std::size_t kStretch = 64;

// A list of the record as the run's to-do list, kept as durably as the
// uninstaller keeps it: before each stretch of entries, the effects' hive
// (the user's, which holds the counters; none for the help entries, whose
// stores reach the disk by themselves) flushed where entries were done since
// its last flush, then the claim written beside the list (the count's 12
// bytes, a version, the number of states and 8 bytes per entry) and the
// record flushed; nothing written per entry. When the phase is left, the
// effects' hive flushed, the list written anew with what is left (nothing,
// in a whole run), the record flushed, and the count of none done in it.
class ToDo {
 public:
  ToDo(const std::string& keyName, const char* listName, const std::string& text, HKEY effectsHive)
      : list_(listName), done_(std::string(listName) + "DONE"), effectsHive_(effectsHive) {
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, (kRecords + keyName).c_str(), 0, KEY_ALL_ACCESS, &record_) != ERROR_SUCCESS)
      return;
    count_[1] = static_cast<DWORD>(text.size());
    count_[2] = Fnv(text.data(), text.size());
    DWORD size = 0;
    RegQueryValueExA(record_, done_.c_str(), nullptr, nullptr, nullptr, &size);
  }
  ~ToDo() {
    if (!record_) return;
    if (count_[0]) {
      FlushEffects();
      RegSetValueExA(record_, list_, 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1);
      RegFlushKey(record_);
      count_[0] = 0;
      count_[1] = 0;
      count_[2] = Fnv("", 0);
      RegSetValueExA(record_, done_.c_str(), 0, REG_BINARY, reinterpret_cast<const BYTE*>(count_), sizeof count_);
    }
    RegCloseKey(record_);
  }
  ToDo(const ToDo&) = delete;
  ToDo& operator=(const ToDo&) = delete;
  void Claim(const std::vector<State>& states) {
    if (!record_) return;
    std::vector<BYTE> bytes;
    bytes.reserve(20 + 8 * states.size());
    for (const DWORD word : count_) Put32(word, bytes);
    Put32(2, bytes);
    Put32(static_cast<DWORD>(states.size()), bytes);
    for (const State& state : states) {
      Put32(state.first, bytes);
      Put32(state.second, bytes);
    }
    FlushEffects();
    if (RegSetValueExA(record_, done_.c_str(), 0, REG_BINARY, bytes.data(), static_cast<DWORD>(bytes.size())) ==
        ERROR_SUCCESS)
      RegFlushKey(record_);
  }
  void EntryDone() { ++count_[0]; }

 private:
  void FlushEffects() {
    if (effectsHive_ && count_[0] != flushedAt_) RegFlushKey(effectsHive_);
    flushedAt_ = count_[0];
  }

  HKEY record_ = nullptr;
  const char* list_;
  std::string done_;
  HKEY effectsHive_;
  DWORD count_[3] = {};
  DWORD flushedAt_ = 0;
};

// The stretch of files from start on, each with its counter's state (none,
// a value, unreadable), the counters' key opened once: at most kStretch
// entries, ending before a name that it holds already (compared without
// case, one CharUpperBuffA per name).
std::vector<State> ClaimFiles(const std::vector<std::string>& files, std::size_t start) {
  std::vector<State> states;
  std::vector<std::string> upper;
  HKEY key = nullptr;
  const bool open = RegOpenKeyExA(HKEY_CURRENT_USER, kCounters, 0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS;
  for (std::size_t i = start; i < files.size() && i < start + kStretch; ++i) {
    upper.push_back(files[i]);
    if (!upper.back().empty()) CharUpperBuffA(&upper.back()[0], static_cast<DWORD>(upper.back().size()));
    bool twice = false;
    for (std::size_t j = 0; j + 1 < upper.size() && !twice; ++j) twice = upper[j] == upper.back();
    if (twice) break;
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof value;
    const LONG found = open ? RegQueryValueExA(key, files[i].c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value),
                                               &size)
                            : ERROR_FILE_NOT_FOUND;
    if (found == ERROR_FILE_NOT_FOUND)
      states.push_back({0, 0});
    else if (found != ERROR_SUCCESS || type != REG_DWORD)
      states.push_back({2, 0});
    else
      states.push_back({1, value});
  }
  if (open) RegCloseKey(key);
  return states;
}

void RemoveFiles(HINSTANCE instance, const std::string& keyName) {
  HWND dialog = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_PROGRESS), nullptr, &Ignore, 0);
  const std::string text = RecordValue(keyName, "FILES");
  const std::vector<std::string> files = Split(text, "\r\n");
  SendDlgItemMessageA(dialog, IDC_PROGRESS_BAR, PBM_SETRANGE32, 0, static_cast<LPARAM>(files.size()));
  ShowWindow(dialog, SW_SHOWDEFAULT);
  ToDo toDo(keyName, "FILES", text, HKEY_CURRENT_USER);
  for (std::size_t i = 0; i < files.size();) {
    const std::vector<State> stretch = ClaimFiles(files, i);
    toDo.Claim(stretch);
    for (std::size_t end = i + stretch.size(); i < end; ++i) {
      SendDlgItemMessageA(dialog, IDC_FILE_NAME, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(files[i].c_str()));
      ReleaseAndDelete(files[i]);
      toDo.EntryDone();
      SendDlgItemMessageA(dialog, IDC_PROGRESS_BAR, PBM_SETPOS, i, 0);
    }
  }
  DestroyWindow(dialog);
}

void UnregisterProduct(const std::string& keyName) {
  const std::string product = RecordValue(keyName, "PRODUCTNAME");
  const std::vector<std::string> withdrawn = Split(RecordValue(keyName, "SUBPRODUCTNAME"), ";");
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, (kProducts + product).c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
    return;
  for (const std::string& name : withdrawn) RegDeleteValueA(key, name.c_str());
  DWORD values = 0;
  RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr, nullptr,
                   nullptr);
  for (DWORD i = 0; i < values; ++i) {
    char name[256];
    DWORD length = sizeof name;
    RegEnumValueA(key, i, name, &length, nullptr, nullptr, nullptr, nullptr);
  }
  RegCloseKey(key);
  const std::string include = ReadText(HKEY_CURRENT_USER, kProducts + product, "FolderName") + "\\units\\prod.inc";
  const std::string bytes = Load(include);
  Store(include, bytes.data(), bytes.size());
}

void RemoveFolders(const std::string& keyName) {
  const std::vector<std::string> folders = Split(RecordValue(keyName, "FOLDERS"), "\r\n");
  for (std::size_t i = folders.size(); i-- > 0;) RemoveDirectoryA(folders[i].c_str());
}

// The index of the first line from which the entry's line starts, or npos.
// Each line is walked once, its end and its first "=" found in one pass.
std::size_t FindEntryLine(const std::string& text, const std::string& entry, std::size_t& end) {
  const char* const data = text.data();
  const std::size_t size = text.size();
  for (std::size_t start = 0; start < size;) {
    std::size_t target = 0;
    for (end = start; end < size && data[end] != '\r' && data[end] != '\n'; ++end)
      if (!target && data[end] == '=') target = end + 1;
    if (!target) target = end;
    if (CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, data + target, static_cast<int>(end - target),
                       entry.data(), static_cast<int>(entry.size())) == CSTR_EQUAL)
      return start;
    start = end + (end + 1 < size && data[end] == '\r' && data[end + 1] == '\n' ? 2 : 1);
  }
  return std::string::npos;
}

// Removes the entry's line from the text, if it holds one.
bool RemoveEntryLine(std::string& text, const std::string& entry) {
  std::size_t end = 0;
  const std::size_t start = FindEntryLine(text, entry, end);
  if (start == std::string::npos) return false;
  text.erase(start, end + 2 - start);
  return true;
}

// The claim of the stretch of entries from start: the contents file's text
// (its length and hash) before the first and after each, worked out on a
// copy of the loaded text.
std::vector<State> ClaimHelps(const std::vector<std::string>& entries, std::size_t start, const std::string& text) {
  std::string after = text;
  std::vector<State> texts{{static_cast<DWORD>(after.size()), Fnv(after.data(), after.size())}};
  for (std::size_t i = start; i < entries.size() && i < start + kStretch; ++i) {
    if (RemoveEntryLine(after, entries[i]))
      texts.push_back({static_cast<DWORD>(after.size()), Fnv(after.data(), after.size())});
    else
      texts.push_back(texts.back());
  }
  return texts;
}

void RemoveHelps(const std::string& keyName) {
  const std::string listed = RecordValue(keyName, "INSTALLEDHELPS");
  const std::vector<std::string> entries = Split(listed, "\r\n");
  RecordValue(keyName, "DELPHIVER");
  const std::string contents = ReadText(HKEY_LOCAL_MACHINE, kDelphi5, "RootDir") + "\\HELP\\delphi5.cnt";
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(contents.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  FindClose(search);
  ToDo toDo(keyName, "INSTALLEDHELPS", listed, nullptr);
  for (std::size_t i = 0; i < entries.size();) {
    // The claim's load serves the stretch's first entry.
    std::string text = Load(contents);
    const std::vector<State> texts = ClaimHelps(entries, i, text);
    toDo.Claim(texts);
    for (std::size_t k = 0; k + 1 < texts.size(); ++k, ++i) {
      if (k > 0) text = Load(contents);
      if (RemoveEntryLine(text, entries[i])) Store(contents, text.data(), text.size());
      toDo.EntryDone();
    }
  }
}

void RemoveSelf() {
  char program[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, program, sizeof program);
  const std::string path(program, length);
  if (DeleteFileA(program)) return;
  const std::string batch = path.substr(0, path.rfind('\\') + 1) + "$delme.bat";
  const std::string quoted = "\"" + path + "\"";
  const std::string text = ":Repeat\r\ndel " + quoted + "\r\ndel " + quoted + " /aH\r\nif exist " + quoted +
                           " goto Repeat\r\ndel \"" + batch + "\"\r\n";
  HANDLE file = CreateFileA(batch.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION created{};
  std::string line = "\"" + batch + "\"";
  if (CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr, nullptr, &startup,
                     &created)) {
    CloseHandle(created.hThread);
    CloseHandle(created.hProcess);
  }
}

}  // namespace

// NOLINTNEXTLINE(readability-non-const-parameter): Windows fixes WinMain's signature.
int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR lpCmdLine, int) {
  InitCommonControls();
  const std::string keyName = lpCmdLine;
  const std::string question = "Are you sure you want to completely remove the " + keyName + "?";
  if (MessageBoxA(nullptr, question.c_str(), "Uninstall", MB_YESNO | MB_ICONQUESTION) != IDYES) return 0;
  bench::Lap();
  RemoveFiles(hInstance, keyName);
  const double files = bench::Lap();
  UnregisterProduct(keyName);
  const double product = bench::Lap();
  RemoveFolders(keyName);
  const double folders = bench::Lap();
  RemoveHelps(keyName);
  const double helps = bench::Lap();
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, (kRecords + keyName).c_str());
  RemoveSelf();
  const double rest = bench::Lap();
  if (FILE* out = std::fopen("C:\\bench-floor-phases.txt", "w")) {
    (void)std::fprintf(out, "files %.3f\nproduct %.3f\nfolders %.3f\nhelps %.3f\nrecord+self %.3f\n", files, product,
                 folders, helps, rest);
    (void)std::fclose(out);
  }
  return 0;
}
