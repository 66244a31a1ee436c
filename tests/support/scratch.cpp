// Scratch helpers may use Vista registry calls; the product itself does not.
#undef _WIN32_WINNT
#define _WIN32_WINNT 0x0600
#include "tests/support/scratch.h"

#include <regex>

#include <sddl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/ansi_text.h"

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
  const platform::UniqueFind search(FindFirstFileA((from + "\\*").c_str(), &found));
  if (!search.IsValid()) return;
  do {
    const std::string name = found.cFileName;
    if (name == "." || name == "..") continue;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) CopyFolderTree(from + "\\" + name, to + "\\" + name);
    else CopyFileA((from + "\\" + name).c_str(), (to + "\\" + name).c_str(), FALSE);
  } while (FindNextFileA(search.Get(), &found));
}

void RemoveFolderTree(const std::string& path) {
  WIN32_FIND_DATAA found;
  const platform::UniqueFind search(FindFirstFileA((path + "\\*").c_str(), &found));
  if (search.IsValid()) {
    do {
      const std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      const std::string child = path + "\\" + name;
      SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveFolderTree(child);
      else DeleteFileA(child.c_str());
    } while (FindNextFileA(search.Get(), &found));
  }
  RemoveDirectoryA(path.c_str());
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string DaclText(PSECURITY_DESCRIPTOR descriptor) {
  char* text = nullptr;
  if (!ConvertSecurityDescriptorToStringSecurityDescriptorA(descriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION,
                                                            &text, nullptr))
    return "<unreadable>";
  std::string dacl = text;
  LocalFree(text);
  return dacl;
}

std::string FileDaclText(const std::string& path) {
  std::vector<DWORD> descriptor(1024);
  DWORD size = 0;
  return GetFileSecurityA(path.c_str(), DACL_SECURITY_INFORMATION, descriptor.data(), 4096, &size)
             ? DaclText(descriptor.data()) : "<unreadable>";
}

bool AllowsOthers(const std::string& dacl) {
  return std::regex_search(dacl, std::regex(R"(NO_ACCESS_CONTROL|\(A;[^)]*;(WD|BU|AU)\))"));
}

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

platform::UniqueRegKey OpenKey(HKEY root, const std::string& path, REGSAM access) {
  platform::UniqueRegKey key;
  if (RegOpenKeyExA(root, path.c_str(), 0, access, key.Receive()) != ERROR_SUCCESS) key.Release();  // none opened
  return key;
}

platform::UniqueRegKey CreateKey(HKEY root, const std::string& path) {
  platform::UniqueRegKey key;
  if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.Receive(), nullptr) != ERROR_SUCCESS)
    key.Release();  // none created
  return key;
}

bool KeyExists(HKEY root, const std::string& path) { return OpenKey(root, path).IsValid(); }

void SetRegistryValue(HKEY root, const std::string& key, const std::string& name, DWORD type, const std::string& data) {
  // The last level is made below its parent: Wine refuses a whole path whose
  // last name is near the registry's 255-character limit. The last backslash
  // is found by characters: a double-byte name may hold the byte 0x5C.
  const std::size_t after = platform::AfterLastOf(key, "\\", &platform::IsAnsiLeadByte);
  const platform::UniqueRegKey opened = CreateKey(CreateKey(root, key.substr(0, after - 1)).Get(), key.substr(after));
  RegSetValueExA(opened.Get(), name.c_str(), 0, type, reinterpret_cast<const BYTE*>(data.data()), static_cast<DWORD>(data.size()));
}

std::optional<RegistryValue> ReadRegistryValue(HKEY root, const std::string& key, const std::string& name) {
  const platform::UniqueRegKey opened = OpenKey(root, key);
  RegistryValue value{REG_NONE, {}};
  DWORD size = 0;
  if (!opened.IsValid() || RegQueryValueExA(opened.Get(), name.c_str(), nullptr, &value.type, nullptr, &size) != ERROR_SUCCESS)
    return std::nullopt;
  value.bytes.resize(size);
  RegQueryValueExA(opened.Get(), name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(&value.bytes[0]), &size);
  value.bytes.resize(size);
  return value;
}

void DeleteTree(HKEY root, const std::string& path) { RegDeleteTreeA(root, path.c_str()), RegDeleteKeyA(root, path.c_str()); }

ScratchRecord::ScratchRecord() : name_("QnlTestRecord-" + UniqueSuffix()) {}
ScratchRecord::~ScratchRecord() { DeleteTree(HKEY_LOCAL_MACHINE, UninstallKeyPath(name_)); }

void ScratchRecord::SetValue(const std::string& value, DWORD type, const std::string& data) const {
  SetRegistryValue(HKEY_LOCAL_MACHINE, UninstallKeyPath(name_), value, type, data);
}

bool ScratchRecord::Exists() const { return KeyExists(HKEY_LOCAL_MACHINE, UninstallKeyPath(name_)); }

std::vector<std::string> LinesOf(const platform::LineList& list) {
  std::vector<std::string> lines;
  lines.reserve(list.LineCount());
  for (int i = 0; i < list.LineCount(); ++i) lines.emplace_back(list.LineAt(i));
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

std::string UninstallProgram() {
  // A run may name another build of it (a Windows path), as the rows of the
  // Windows 9x versions do.
  if (const char* other = std::getenv("QNL_UNINSTALL_PROGRAM")) return other;
  return WindowsPathOf(QNL_UNINSTALL_PROGRAM);
}

void CopyUninstallProgram(const std::string& path) {
  EXPECT_TRUE(CopyFileA(UninstallProgram().c_str(), path.c_str(), FALSE))
      << "cannot copy " << UninstallProgram() << ": build the preset \"shipped\" first";
}

}  // namespace testing_support
