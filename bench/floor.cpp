// The floor of removing the installed files: per file only the platform calls
// that the uninstaller's own steps make, and nothing else. The counter key is
// opened and closed per file; the counter is probed and read (two queries),
// then written back, or deleted, followed by the key-information query and
// the file's deletion; the progress dialog from the same template is sent the
// file name and the bar's position.
//
//   bench_floor <uninstall key name>
//
// The list of files is read once from the record's FILES value.
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "ui/resource_ids.h"

namespace {

const char kCounters[] = "Software\\Quenlar\\InstalledFiles";
const char kRecords[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

std::string ReadFiles(const std::string& keyName) {
  HKEY record = nullptr;
  std::string text;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, (kRecords + keyName).c_str(), 0, KEY_ALL_ACCESS, &record) != ERROR_SUCCESS)
    return text;
  DWORD size = 0;
  if (RegQueryValueExA(record, "FILES", nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS && size > 0) {
    text.resize(size);
    RegQueryValueExA(record, "FILES", nullptr, nullptr, reinterpret_cast<BYTE*>(&text[0]), &size);
    text.resize(text.find('\0') == std::string::npos ? size : text.find('\0'));
  }
  RegCloseKey(record);
  return text;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  }
  return lines;
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

}  // namespace

// NOLINTNEXTLINE(readability-non-const-parameter): Windows fixes WinMain's signature.
int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR lpCmdLine, int) {
  InitCommonControls();
  HWND dialog = CreateDialogParamA(hInstance, MAKEINTRESOURCEA(IDD_PROGRESS), nullptr, &Ignore, 0);
  const std::vector<std::string> files = Lines(ReadFiles(lpCmdLine));
  SendDlgItemMessageA(dialog, IDC_PROGRESS_BAR, PBM_SETRANGE32, 0, static_cast<LPARAM>(files.size()));
  ShowWindow(dialog, SW_SHOWDEFAULT);
  for (std::size_t i = 0; i < files.size(); ++i) {
    SendDlgItemMessageA(dialog, IDC_FILE_NAME, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(files[i].c_str()));
    ReleaseAndDelete(files[i]);
    SendDlgItemMessageA(dialog, IDC_PROGRESS_BAR, PBM_SETPOS, i, 0);
  }
  DestroyWindow(dialog);
  return 0;
}
