// Scratch helpers may use Vista registry calls; the product itself does not.
#undef _WIN32_WINNT
#define _WIN32_WINNT 0x0600
#include "tests/support/scratch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <sstream>

namespace testing_support {
namespace {

std::string UniqueSuffix() {
  static std::atomic<unsigned> counter{0};
  return std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter);
}

}  // namespace

ScratchFolder::ScratchFolder() {
  char temp[MAX_PATH + 1];
  GetTempPathA(sizeof temp, temp);
  path_ = std::string(temp) + "qnltest-" + UniqueSuffix();
  CreateDirectoryA(path_.c_str(), nullptr);
}

ScratchFolder::~ScratchFolder() { RemoveFolderTree(path_); }

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "<missing>";
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void CopyFolderTree(const std::string& from, const std::string& to) {
  CreateDirectoryA(to.c_str(), nullptr);
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((from + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    const std::string name = found.cFileName;
    if (name == "." || name == "..") continue;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) CopyFolderTree(from + "\\" + name, to + "\\" + name);
    else CopyFileA((from + "\\" + name).c_str(), (to + "\\" + name).c_str(), FALSE);
  } while (FindNextFileA(search, &found));
  FindClose(search);
}

void RemoveFolderTree(const std::string& path) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      const std::string child = path + "\\" + name;
      SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveFolderTree(child);
      else DeleteFileA(child.c_str());
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  RemoveDirectoryA(path.c_str());
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool GoneWithin(const std::vector<std::string>& paths, DWORD milliseconds) {
  for (DWORD waited = 0;; waited += 50, Sleep(50)) {
    bool gone = true;
    for (const std::string& path : paths) gone = gone && !Exists(path);
    if (gone) return true;
    if (waited >= milliseconds) return false;
  }
}

std::string UninstallKeyPath(const std::string& name) {
  return "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + name;
}

void SetRegistryValue(HKEY root, const std::string& key, const std::string& name, DWORD type, const std::string& data) {
  // The last level is made below its parent: Wine refuses a whole path whose
  // last name is near the registry's 255-character limit.
  const std::size_t slash = key.rfind('\\');
  HKEY parent = nullptr, opened = nullptr;
  RegCreateKeyExA(root, key.substr(0, slash).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &parent, nullptr);
  RegCreateKeyExA(parent, key.substr(slash + 1).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &opened, nullptr);
  RegCloseKey(parent);
  RegSetValueExA(opened, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(data.data()), static_cast<DWORD>(data.size()));
  RegCloseKey(opened);
}

void DeleteTree(HKEY root, const std::string& path) { RegDeleteTreeA(root, path.c_str()), RegDeleteKeyA(root, path.c_str()); }

ScratchRecord::ScratchRecord() : name_("QnlTestRecord-" + UniqueSuffix()) {}
ScratchRecord::~ScratchRecord() { DeleteTree(HKEY_LOCAL_MACHINE, UninstallKeyPath(name_)); }

void ScratchRecord::SetValue(const std::string& value, DWORD type, const std::string& data) const {
  SetRegistryValue(HKEY_LOCAL_MACHINE, UninstallKeyPath(name_), value, type, data);
}

bool ScratchRecord::Exists() const {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, UninstallKeyPath(name_).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
    return false;
  RegCloseKey(key);
  return true;
}

std::vector<std::string> LinesOf(const platform::LineList& list) {
  std::vector<std::string> lines;
  for (int i = 0; i < list.LineCount(); ++i) lines.push_back(list.LineAt(i));
  return lines;
}

std::string ProgramPath(const std::string& exeName) {
  char self[MAX_PATH + 1];
  const DWORD length = GetModuleFileNameA(nullptr, self, sizeof self);
  std::string path(self, length);
  return path.substr(0, path.find_last_of('\\') + 1) + exeName;
}

std::string WindowsPathOf(const std::string& hostPath) {
  std::string path = "Z:" + hostPath;
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

std::string UninstallProgram() { return WindowsPathOf(QNL_UNINSTALL_PROGRAM); }

void CopyUninstallProgram(const std::string& path) {
  EXPECT_TRUE(CopyFileA(UninstallProgram().c_str(), path.c_str(), FALSE))
      << "cannot copy " << UninstallProgram() << ": build the preset \"shipped\" first";
}

}  // namespace testing_support
