#include "registration/shared_files.h"

#include "platform/registry_session.h"

namespace registration {

int ReleaseSharedFile(const std::string& path) {
  platform::RegistrySession registry;
  if (!registry.OpenPath(kInstalledFilesKey)) return -1;
  if (!registry.HasValue(path)) return -1;
  // Wraps like the stored 32-bit count instead of overflowing.
  const int count = static_cast<int>(static_cast<unsigned>(registry.ReadNumber(path)) - 1u);
  if (count != 0) {
    registry.WriteNumber(path, count);
    return count;
  }
  registry.RemoveValue(path);
  // The key goes only when a query says it holds no value: a failed query
  // would take every other installation's counters with it.
  platform::KeyInfo info;
  if (registry.QueryKeyInfo(info) && info.ValueCount == 0) registry.RemoveKey(kInstalledFilesKey);
  return 0;
}

CounterState SharedFileState(const std::string& path) {
  platform::RegistrySession registry;
  if (!registry.OpenPath(kInstalledFilesKey)) return {};
  return SharedFileStateIn(registry, path);
}

CounterState SharedFileStateIn(const platform::RegistrySession& registry, const std::string& path) {
  if (!registry.HasValue(path)) return {};
  DWORD type = 0;
  BYTE data[4] = {};
  DWORD size = sizeof data;
  if (RegQueryValueExA(registry.CurrentKey(), path.c_str(), nullptr, &type, data, &size) != ERROR_SUCCESS ||
      type != REG_DWORD)
    return {CounterState::Unreadable, 0};
  return {CounterState::Number, data[0] | (data[1] << 8) | (data[2] << 16) | (static_cast<DWORD>(data[3]) << 24)};
}

int SharedFileCount(const std::string& path) {
  platform::RegistrySession registry;
  if (!registry.OpenPath(kInstalledFilesKey)) return -1;
  return registry.HasValue(path) ? registry.ReadNumber(path) : -1;
}

}  // namespace registration
