#include "setup/progress_marks.h"

#include "platform/ansi_text.h"
#include "platform/unique_handle.h"

namespace setup {
namespace {

const char kProgressRoot[] = "Software\\Quenlar\\UninstallProgress";

// Deletes the key only when it holds neither values nor subkeys: Windows
// 95, 98 and Me would delete its subkeys, other records' marks, with it.
bool DeleteIfEmpty(const std::string& path) {
  platform::UniqueRegKey key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_ALL_ACCESS, key.Receive()) != ERROR_SUCCESS) return false;
  DWORD subkeys = 0;
  DWORD values = 0;
  if (RegQueryInfoKeyA(key.Get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr,
                       nullptr, nullptr) != ERROR_SUCCESS ||
      subkeys != 0 || values != 0)
    return false;
  key.Reset();
  return RegDeleteKeyA(HKEY_CURRENT_USER, path.c_str()) == ERROR_SUCCESS;
}

}  // namespace

std::string ProgressKeyPath(const std::string& keyName) { return kProgressRoot + ("\\" + keyName); }

std::uint64_t RecordWriteTime(HKEY record) {
  FILETIME written{};
  if (RegQueryInfoKeyA(record, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                       nullptr, &written) != ERROR_SUCCESS)
    return 0;
  return written.dwLowDateTime | (static_cast<std::uint64_t>(written.dwHighDateTime) << 32);
}

bool ReadDoneMark(const std::string& keyName, const std::string& listName, DoneMark& mark) {
  platform::UniqueRegKey key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, ProgressKeyPath(keyName).c_str(), 0, KEY_ALL_ACCESS, key.Receive()) !=
      ERROR_SUCCESS)
    return false;
  unsigned char bytes[kDoneMarkSize];
  DWORD size = sizeof bytes;
  if (RegQueryValueExA(key.Get(), DoneValueName(listName).c_str(), nullptr, nullptr, bytes, &size) != ERROR_SUCCESS)
    return false;
  return DecodeDoneMark(std::string(reinterpret_cast<const char*>(bytes), size), mark);
}

void DeleteDoneMarks(const std::string& keyName) {
  std::string path = ProgressKeyPath(keyName);
  {
    platform::UniqueRegKey key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_ALL_ACCESS, key.Receive()) != ERROR_SUCCESS) return;
    for (const char* list : {"FILES", "INSTALLEDHELPS"}) RegDeleteValueA(key.Get(), DoneValueName(list).c_str());
  }
  // Up the key name's levels, by characters (a double-byte character may
  // end in 0x5C), to "UninstallProgress" itself and never above it.
  while (DeleteIfEmpty(path) && path.size() > sizeof kProgressRoot - 1)
    path.resize(platform::AfterLastOf(path, "\\", &platform::IsAnsiLeadByte) - 1);
}

}  // namespace setup
