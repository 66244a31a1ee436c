// The floor of a whole uninstall run: only the platform calls that the
// uninstaller's steps must make, phase by phase, and nothing else.
//
//   bench_floor <uninstall key name>
//
// - confirmation: the same yes/no box (caption "Uninstall");
// - files: FILES read once; per file the counter key opened and closed, the
//   counter probed and read (two queries), then written back, or deleted
//   followed by the key-information query and the file's deletion; the
//   FILESDONE count written beside FILES in the record; the progress dialog
//   from the same template is sent the file name and the bar's position;
//   at the end FILES written anew (empty), the record flushed and the count
//   of none done written;
// - product: PRODUCTNAME and SUBPRODUCTNAME read, each withdrawn sub-product's
//   value deleted, the remaining values listed, "FolderName" read, the
//   include file loaded and stored once (durably, as below);
// - folders: FOLDERS read, each folder removed, the deepest first;
// - help: INSTALLEDHELPS and DELPHIVER read, RootDir read, the contents file
//   found; per entry the file loaded (open, its links counted, size, one
//   read, close), each line's target compared with CompareStringA up to the
//   line that the entry names, and the file stored without it durably (a file
//   of its own made new beside it, closed to other users, one write, flush,
//   close, then ReplaceFileA), and the INSTALLEDHELPSDONE count written; at
//   the end INSTALLEDHELPS written anew as FILES;
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

DWORD Fnv(const std::string& text) {
  DWORD hash = 2166136261u;
  for (const char c : text) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
  return hash;
}

// A list of the record as the run's to-do list: the count of its entries
// done written beside it after each entry (12 bytes: the count, the list's
// length and its hash), and when the phase is left the list written anew
// with what is left (nothing, in a whole run), flushed, and the count of
// none done in it: as a run must keep them so that a run after a failure,
// or after one ended from outside, goes on where that one stopped.
class ToDo {
 public:
  ToDo(const std::string& keyName, const char* listName, const std::string& text)
      : list_(listName), done_(std::string(listName) + "DONE") {
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, (kRecords + keyName).c_str(), 0, KEY_ALL_ACCESS, &record_) != ERROR_SUCCESS)
      return;
    count_[1] = static_cast<DWORD>(text.size());
    count_[2] = Fnv(text);
    DWORD stored[3];
    DWORD size = sizeof stored;
    RegQueryValueExA(record_, done_.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(stored), &size);
  }
  ~ToDo() {
    if (!record_) return;
    if (count_[0]) {
      RegSetValueExA(record_, list_, 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1);
      RegFlushKey(record_);
      count_[0] = 0;
      count_[1] = 0;
      count_[2] = Fnv("");
      Write();
    }
    RegCloseKey(record_);
  }
  ToDo(const ToDo&) = delete;
  ToDo& operator=(const ToDo&) = delete;
  void EntryDone() {
    ++count_[0];
    if (record_) Write();
  }

 private:
  void Write() { RegSetValueExA(record_, done_.c_str(), 0, REG_BINARY, reinterpret_cast<const BYTE*>(count_), sizeof count_); }

  HKEY record_ = nullptr;
  const char* list_;
  std::string done_;
  DWORD count_[3] = {};
};

void RemoveFiles(HINSTANCE instance, const std::string& keyName) {
  HWND dialog = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_PROGRESS), nullptr, &Ignore, 0);
  const std::string text = RecordValue(keyName, "FILES");
  const std::vector<std::string> files = Split(text, "\r\n");
  SendDlgItemMessageA(dialog, IDC_PROGRESS_BAR, PBM_SETRANGE32, 0, static_cast<LPARAM>(files.size()));
  ShowWindow(dialog, SW_SHOWDEFAULT);
  ToDo toDo(keyName, "FILES", text);
  for (std::size_t i = 0; i < files.size(); ++i) {
    SendDlgItemMessageA(dialog, IDC_FILE_NAME, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(files[i].c_str()));
    ReleaseAndDelete(files[i]);
    toDo.EntryDone();
    SendDlgItemMessageA(dialog, IDC_PROGRESS_BAR, PBM_SETPOS, i, 0);
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

void RemoveHelps(const std::string& keyName) {
  const std::string listed = RecordValue(keyName, "INSTALLEDHELPS");
  const std::vector<std::string> entries = Split(listed, "\r\n");
  RecordValue(keyName, "DELPHIVER");
  const std::string contents = ReadText(HKEY_LOCAL_MACHINE, kDelphi5, "RootDir") + "\\HELP\\delphi5.cnt";
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(contents.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  FindClose(search);
  ToDo toDo(keyName, "INSTALLEDHELPS", listed);
  for (const std::string& entry : entries) {
    std::string text = Load(contents);
    std::size_t end = 0;
    const std::size_t start = FindEntryLine(text, entry, end);
    if (start != std::string::npos) {
      text.erase(start, end + 2 - start);
      Store(contents, text.data(), text.size());
    }
    toDo.EntryDone();
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
