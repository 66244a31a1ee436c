// The registry keys of the product that the tests set up and read, as paths
// below their root: the per-user keys below HKEY_CURRENT_USER, the Delphi 5
// key of the sample installation below HKEY_LOCAL_MACHINE.
#pragma once
#include <windows.h>

#include <string>

#include "tests/support/scratch.h"

namespace testing_support {

inline constexpr char kCountersKey[] = "Software\\Quenlar\\InstalledFiles";
inline constexpr char kProductsKey[] = "Software\\Quenlar\\InstalledProducts";
inline constexpr char kDelphi5Key[] = "Software\\Borland\\Delphi\\5.0";

inline std::string ProductKey(const std::string& product) { return kProductsKey + ("\\" + product); }

// Stores the file's shared-use counter as an installer would: of that type
// and data, or the count as a REG_DWORD.
inline void SetCounter(const std::string& path, DWORD type, const std::string& data) {
  SetRegistryValue(HKEY_CURRENT_USER, kCountersKey, path, type, data);
}
inline void SetCounter(const std::string& path, int count) {
  SetCounter(path, REG_DWORD, std::string(reinterpret_cast<const char*>(&count), sizeof count));
}

}  // namespace testing_support
