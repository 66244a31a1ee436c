// Scratch folders, files and registry keys that a test creates and removes.
#pragma once
#include <windows.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/line_list.h"
#include "platform/unique_handle.h"

namespace testing_support {

// A fresh folder below %TEMP%, removed with everything in it at the end.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "\\" + name; }

 private:
  std::string path_;
};

void WriteBytes(const std::string& path, const std::string& bytes);
// The file's bytes, or "<missing>" when it cannot be read.
std::string ReadBytes(const std::string& path);
bool Exists(const std::string& path);
// A descriptor's DACL as SDDL: "D:P(A;;FA;;;SY)..." is protected (P), and
// allows (A) all access to a file (FA) to SYSTEM (SY), and so on.
std::string DaclText(PSECURITY_DESCRIPTOR descriptor);
// The DACL of the file at path so, or "<unreadable>".
std::string FileDaclText(const std::string& path);
// A DACL text with anything for anyone (no DACL), or an entry for Everyone,
// Users or Authenticated Users. (Wine keeps a file's rights as its Unix
// mode: what it gives others shows as an Everyone entry.)
bool AllowsOthers(const std::string& dacl);
// Copies everything in the folder from into the folder to (made as needed).
void CopyFolderTree(const std::string& from, const std::string& to);
// Removes the folder with everything in it, attributes notwithstanding.
void RemoveFolderTree(const std::string& path);
// Waits until none of the paths exists; false when some still does at the end.
bool GoneWithin(const std::vector<std::string>& paths, DWORD milliseconds);

// A fresh uninstall record name; the record is removed at the end.
class ScratchRecord {
 public:
  ScratchRecord();
  ~ScratchRecord();
  ScratchRecord(const ScratchRecord&) = delete;
  ScratchRecord& operator=(const ScratchRecord&) = delete;
  const std::string& Name() const { return name_; }
  void SetValue(const std::string& value, DWORD type, const std::string& data) const;
  bool Exists() const;

 private:
  std::string name_;
};

std::string UninstallKeyPath(const std::string& name);
// The key opened with that access; invalid when it is missing.
platform::UniqueRegKey OpenKey(HKEY root, const std::string& path, REGSAM access = KEY_READ);
// The key with all access, created with the levels above it when missing.
platform::UniqueRegKey CreateKey(HKEY root, const std::string& path);
bool KeyExists(HKEY root, const std::string& path);
// Creates the key when missing and sets the value to the bytes given.
void SetRegistryValue(HKEY root, const std::string& key, const std::string& name, DWORD type, const std::string& data);
void DeleteTree(HKEY root, const std::string& path);

struct RegistryValue {
  DWORD type;
  std::string bytes;
  bool operator==(const RegistryValue& other) const { return type == other.type && bytes == other.bytes; }
};
inline std::ostream& operator<<(std::ostream& out, const RegistryValue& value) {
  return out << "type " << value.type << ", " << value.bytes.size() << " bytes";
}
// A value's type and bytes as stored; nothing when the key or the value is missing.
std::optional<RegistryValue> ReadRegistryValue(HKEY root, const std::string& key, const std::string& name);

// The lines of a list, in order.
std::vector<std::string> LinesOf(const platform::LineList& list);

// A program built beside the test programs.
std::string ProgramPath(const std::string& exeName);

// A path of this machine's file system as Wine shows it (drive Z: is the root).
std::string WindowsPathOf(const std::string& hostPath);

// The uninstaller that tests start as a child process, as Windows starts it:
// the shipped program where the tests are 32-bit, else the 64-bit build's;
// the environment's QNL_UNINSTALL_PROGRAM (a Windows path) where it is set.
std::string UninstallProgram();

// Copies the uninstaller to path; a failed copy fails the test, naming the
// program (the shipped build may not have been built).
void CopyUninstallProgram(const std::string& path);

}  // namespace testing_support
