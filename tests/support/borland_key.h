// The key of one development environment below "Software\Borland" in
// HKEY_LOCAL_MACHINE, as a test needs it: the levels it creates are deleted at
// the end, and in a key that was there before RootDir is put back as it was.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "environments/environment_table.h"
#include "platform/unique_handle.h"
#include "tests/support/scratch.h"

namespace testing_support {

class BorlandKey {
 public:
  explicit BorlandKey(int environment)
      : path_(std::string("Software\\Borland\\") + environments::EnvironmentAt(environment).RegistrySubkey) {
    for (std::size_t at = sizeof "Software"; at != std::string::npos && created_.empty();) {
      at = path_.find('\\', at);
      if (!Open(path_.substr(0, at)).IsValid()) created_ = path_.substr(0, at);
      if (at != std::string::npos) ++at;
    }
    DWORD size = 0;
    if (!created_.empty() || RegQueryValueExA(Open(path_).Get(), "RootDir", nullptr, &savedType_, nullptr, &size)) return;
    std::vector<char> data(size + 1);
    RegQueryValueExA(Open(path_).Get(), "RootDir", nullptr, nullptr, reinterpret_cast<BYTE*>(data.data()), &size);
    saved_.assign(data.data(), size);
    hadRootDir_ = true;
  }
  ~BorlandKey() {
    if (!created_.empty()) DeleteTree(HKEY_LOCAL_MACHINE, created_);
    else if (hadRootDir_) SetRootDir(savedType_, saved_);
    else RegDeleteValueA(Open(path_).Get(), "RootDir");
  }
  BorlandKey(const BorlandKey&) = delete;
  BorlandKey& operator=(const BorlandKey&) = delete;
  // True when the key was there before the test (a real environment).
  bool Existed() const { return created_.empty(); }
  void SetRootDir(const std::string& folder) const { SetRootDir(REG_SZ, folder + '\0'); }
  void SetRootDir(DWORD type, const std::string& data) const {
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    RegSetValueExA(key, "RootDir", 0, type, reinterpret_cast<const BYTE*>(data.data()), static_cast<DWORD>(data.size()));
    RegCloseKey(key);
  }

 private:
  // Open for the length of the calling expression; invalid when missing.
  static platform::UniqueRegKey Open(const std::string& path) {
    platform::UniqueRegKey key;
    RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_ALL_ACCESS, key.Receive());
    return key;
  }

  std::string path_;
  std::string created_;  // the highest level that did not exist before
  bool hadRootDir_ = false;
  DWORD savedType_ = 0;
  std::string saved_;
};

}  // namespace testing_support
