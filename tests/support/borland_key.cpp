#include "tests/support/borland_key.h"

#include <vector>

#include "environments/environment_table.h"
#include "tests/support/scratch.h"

namespace testing_support {
namespace {

bool KeyExists(const std::string& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

}  // namespace

BorlandKey::BorlandKey(int environmentIndex)
    : path_(std::string("Software\\Borland\\") + environments::EnvironmentAt(environmentIndex).RegistrySubkey) {
  for (std::size_t at = sizeof "Software"; at != std::string::npos && created_.empty();) {
    at = path_.find('\\', at);
    if (!KeyExists(path_.substr(0, at))) created_ = path_.substr(0, at);
    if (at != std::string::npos) ++at;
  }
  HKEY key = nullptr;
  if (!created_.empty() || RegOpenKeyExA(HKEY_LOCAL_MACHINE, path_.c_str(), 0, KEY_READ, &key)) return;
  DWORD size = 0;
  hadRootDir_ = RegQueryValueExA(key, "RootDir", nullptr, &savedType_, nullptr, &size) == ERROR_SUCCESS;
  std::vector<char> data(size + 1);
  RegQueryValueExA(key, "RootDir", nullptr, nullptr, reinterpret_cast<BYTE*>(data.data()), &size);
  savedData_.assign(data.data(), size);
  RegCloseKey(key);
}

BorlandKey::~BorlandKey() {
  HKEY key = nullptr;
  if (!created_.empty()) {
    DeleteTree(HKEY_LOCAL_MACHINE, created_);
  } else if (hadRootDir_) {
    SetRootDir(savedType_, savedData_);
  } else if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path_.c_str(), 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
    RegDeleteValueA(key, "RootDir");
    RegCloseKey(key);
  }
}

void BorlandKey::SetRootDir(DWORD type, const std::string& data) const {
  HKEY key = nullptr;
  RegCreateKeyExA(HKEY_LOCAL_MACHINE, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
  RegSetValueExA(key, "RootDir", 0, type, reinterpret_cast<const BYTE*>(data.data()), static_cast<DWORD>(data.size()));
  RegCloseKey(key);
}

}  // namespace testing_support
