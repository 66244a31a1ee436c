#include "platform/registry_session.h"

#include <vector>

#include "platform/errors.h"
#include "platform/string_ids.h"
#include "platform/text_lines.h"

namespace platform {
namespace {

// The registry's code; info all zero unless it is ERROR_SUCCESS.
LONG QueryInfo(HKEY key, KeyInfo& info) {
  info = KeyInfo{};
  KeyInfo filled;
  const LONG result = RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &filled.SubkeyCount,
                                       &filled.MaxSubkeyNameLength, nullptr, &filled.ValueCount,
                                       &filled.MaxValueNameLength, &filled.MaxDataLength, nullptr,
                                       &filled.LastWriteTime);
  if (result == ERROR_SUCCESS) info = filled;
  return result;
}

// The names of key's subkeys (or values), fetched by index into a buffer of
// the longest name's length plus one. In a double-byte code page a name's
// ANSI form can be longer than that length; the buffer then grows and the
// same index is fetched again, so that no name is left out.
template <typename Enumerate>
std::vector<std::string> EnumerateNames(DWORD count, DWORD maxLength, Enumerate enumerate) {
  constexpr std::size_t kLongestAnsiName = 32768;
  std::vector<std::string> names;
  std::vector<char> buffer(maxLength + 1);
  for (DWORD i = 0; i < count; ++i) {
    DWORD length = static_cast<DWORD>(buffer.size());
    LONG result = enumerate(i, buffer.data(), &length);
    while (result == ERROR_MORE_DATA && buffer.size() < kLongestAnsiName) {
      buffer.resize(buffer.size() * 2);
      length = static_cast<DWORD>(buffer.size());
      result = enumerate(i, buffer.data(), &length);
    }
    if (result == ERROR_SUCCESS) names.emplace_back(buffer.data(), length);
  }
  return names;
}

std::vector<std::string> SubkeyNames(HKEY key, const KeyInfo& info) {
  return EnumerateNames(info.SubkeyCount, info.MaxSubkeyNameLength, [key](DWORD i, char* name, DWORD* length) {
    return RegEnumKeyExA(key, i, name, length, nullptr, nullptr, nullptr, nullptr);
  });
}

std::vector<std::string> ValueNames(HKEY key, const KeyInfo& info) {
  return EnumerateNames(info.ValueCount, info.MaxValueNameLength, [key](DWORD i, char* name, DWORD* length) {
    return RegEnumValueA(key, i, name, length, nullptr, nullptr, nullptr, nullptr);
  });
}

// Removes every subkey of key, each with its own subkeys first.
void RemoveSubkeys(HKEY key) {
  KeyInfo info;
  if (QueryInfo(key, info) != ERROR_SUCCESS) return;
  for (const std::string& name : SubkeyNames(key, info)) {
    UniqueRegKey child;
    if (RegOpenKeyExA(key, name.c_str(), 0, KEY_ALL_ACCESS, child.Receive()) == ERROR_SUCCESS)
      RemoveSubkeys(child.Get());
    child.Reset();
    RegDeleteKeyA(key, name.c_str());
  }
}

}  // namespace

HKEY RegistrySession::Resolve(const std::string& path, std::string& rest) const {
  if (!path.empty() && path[0] == '\\') {
    rest = path.substr(1);
    return root_;
  }
  rest = path;
  return current_.IsValid() ? current_.Get() : root_;
}

void RegistrySession::SetRoot(HKEY root) {
  if (root == root_) return;
  root_ = root;
  CloseCurrent();
}

bool RegistrySession::OpenPath(const std::string& path) {
  std::string rest;
  HKEY base = Resolve(path, rest);
  UniqueRegKey opened;
  if (RegOpenKeyExA(base, rest.c_str(), 0, KEY_ALL_ACCESS, opened.Receive()) != ERROR_SUCCESS) return false;
  const bool relativeToOpen = (path.empty() || path[0] != '\\') && current_.IsValid();
  std::string newPath = relativeToOpen ? currentPath_ + "\\" + rest : rest;
  CloseCurrent();
  current_ = std::move(opened);
  currentPath_ = std::move(newPath);
  return true;
}

void RegistrySession::CloseCurrent() noexcept {
  current_.Reset();
  currentPath_.clear();
}

std::string RegistrySession::ReadText(const std::string& name) const {
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExA(current_.Get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS || size == 0)
    return {};
  std::string text(size, '\0');
  if (RegQueryValueExA(current_.Get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&text[0]), &size) !=
      ERROR_SUCCESS)
    RaiseError(ErrorKind::Registry, IDS_FAILED_TO_GET_DATA, name);
  if (type != REG_SZ && type != REG_EXPAND_SZ) RaiseError(ErrorKind::Registry, IDS_INVALID_DATA_TYPE, name);
  CutAtDataEnd(text, size);
  return text;
}

int RegistrySession::ReadNumber(const std::string& name) const {
  DWORD type = 0;
  BYTE data[4] = {};
  DWORD size = sizeof data;
  if (RegQueryValueExA(current_.Get(), name.c_str(), nullptr, &type, data, &size) != ERROR_SUCCESS)
    RaiseError(ErrorKind::Registry, IDS_FAILED_TO_GET_DATA, name);
  if (type != REG_DWORD) RaiseError(ErrorKind::Registry, IDS_INVALID_DATA_TYPE, name);
  const DWORD value = data[0] | (data[1] << 8) | (data[2] << 16) | (static_cast<DWORD>(data[3]) << 24);
  return static_cast<int>(value);
}

void RegistrySession::WriteNumber(const std::string& name, int value) {
  const DWORD bits = static_cast<DWORD>(value);
  const BYTE data[4] = {static_cast<BYTE>(bits), static_cast<BYTE>(bits >> 8), static_cast<BYTE>(bits >> 16),
                        static_cast<BYTE>(bits >> 24)};
  if (RegSetValueExA(current_.Get(), name.c_str(), 0, REG_DWORD, data, sizeof data) != ERROR_SUCCESS)
    RaiseError(ErrorKind::Registry, IDS_FAILED_TO_SET_DATA, name);
}

bool RegistrySession::HasValue(const std::string& name) const {
  DWORD type = 0;
  DWORD size = 0;
  return RegQueryValueExA(current_.Get(), name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS;
}

bool RegistrySession::RemoveValue(const std::string& name) {
  return RegDeleteValueA(current_.Get(), name.c_str()) == ERROR_SUCCESS;
}

bool RegistrySession::RemoveKey(const std::string& path) {
  std::string rest;
  HKEY base = Resolve(path, rest);
  {
    UniqueRegKey key;
    if (RegOpenKeyExA(base, rest.c_str(), 0, KEY_ALL_ACCESS, key.Receive()) == ERROR_SUCCESS)
      RemoveSubkeys(key.Get());
  }
  return RegDeleteKeyA(base, rest.c_str()) == ERROR_SUCCESS;
}

bool RegistrySession::QueryKeyInfo(KeyInfo& info) const { return QueryInfo(current_.Get(), info) == ERROR_SUCCESS; }

LONG RegistrySession::ListSubkeys(LineList& list) const {
  list.RemoveAll();
  KeyInfo info;
  const LONG result = QueryInfo(current_.Get(), info);
  if (result != ERROR_SUCCESS) return result;
  for (std::string& name : SubkeyNames(current_.Get(), info)) list.AppendLine(std::move(name));
  return result;
}

LONG RegistrySession::ListValueNames(LineList& list) const {
  list.RemoveAll();
  KeyInfo info;
  const LONG result = QueryInfo(current_.Get(), info);
  if (result != ERROR_SUCCESS) return result;
  for (std::string& name : ValueNames(current_.Get(), info)) list.AppendLine(std::move(name));
  return result;
}

}  // namespace platform
