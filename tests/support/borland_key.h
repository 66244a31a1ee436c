// The key of one development environment below "Software\Borland" in
// HKEY_LOCAL_MACHINE, as a test needs it: the levels it creates are deleted at
// the end, and in a key that was there before RootDir is put back as it was.
#pragma once
#include <windows.h>

#include <optional>
#include <string>

#include "environments/environment_table.h"
#include "tests/support/scratch.h"

namespace testing_support {

class BorlandKey {
 public:
  explicit BorlandKey(int environment)
      : path_(std::string("Software\\Borland\\") + environments::EnvironmentAt(environment).RegistrySubkey) {
    for (std::size_t at = sizeof "Software"; at != std::string::npos && created_.empty();) {
      at = path_.find('\\', at);
      if (!KeyExists(HKEY_LOCAL_MACHINE, path_.substr(0, at))) created_ = path_.substr(0, at);
      if (at != std::string::npos) ++at;
    }
    if (created_.empty()) saved_ = ReadRegistryValue(HKEY_LOCAL_MACHINE, path_, "RootDir");
  }
  ~BorlandKey() {
    if (!created_.empty()) DeleteTree(HKEY_LOCAL_MACHINE, created_);
    else if (saved_) SetRootDir(saved_->type, saved_->bytes);
    else RegDeleteValueA(OpenKey(HKEY_LOCAL_MACHINE, path_, KEY_ALL_ACCESS).Get(), "RootDir");
  }
  BorlandKey(const BorlandKey&) = delete;
  BorlandKey& operator=(const BorlandKey&) = delete;
  // True when the key was there before the test (a real environment).
  bool Existed() const { return created_.empty(); }
  void SetRootDir(const std::string& folder) const { SetRootDir(REG_SZ, folder + '\0'); }
  void SetRootDir(DWORD type, const std::string& data) const {
    SetRegistryValue(HKEY_LOCAL_MACHINE, path_, "RootDir", type, data);
  }

 private:
  std::string path_;
  std::string created_;  // the highest level that did not exist before
  std::optional<RegistryValue> saved_;  // RootDir as it was in a key that was there
};

}  // namespace testing_support
