// A registry object with a root key, at most one open key (the current key)
// and that key's path below the root. Never creates a key; opens with
// KEY_ALL_ACCESS, so a key that cannot be opened so counts as missing.
#pragma once
#include <windows.h>

#include <string>

#include "platform/line_list.h"
#include "platform/unique_handle.h"

namespace platform {

struct KeyInfo {
  DWORD SubkeyCount = 0;
  DWORD MaxSubkeyNameLength = 0;
  DWORD ValueCount = 0;
  DWORD MaxValueNameLength = 0;
  DWORD MaxDataLength = 0;
  FILETIME LastWriteTime{};
};

class RegistrySession {
 public:
  RegistrySession() = default;
  RegistrySession(const RegistrySession&) = delete;
  RegistrySession& operator=(const RegistrySession&) = delete;

  // Another root closes the current key; the same root changes nothing.
  void SetRoot(HKEY root);
  // "\..." is absolute (below the root), anything else relative (below the
  // current key, or the root while none is open). False and nothing changed
  // when the key cannot be opened.
  bool OpenPath(const std::string& path);
  void CloseCurrent() noexcept;
  const std::string& CurrentPath() const noexcept { return currentPath_; }
  HKEY CurrentKey() const noexcept { return current_.Get(); }

  // Empty text for a missing or empty value. Raises ERegistryException
  // "Invalid data type for '%s'" (not REG_SZ/REG_EXPAND_SZ) or "Failed to get
  // data for '%s'" (the read fails after the size query).
  std::string ReadText(const std::string& name) const;
  // Raises "Failed to get data for '%s'" (missing, or longer than 4 bytes)
  // or "Invalid data type for '%s'" (not REG_DWORD).
  int ReadNumber(const std::string& name) const;
  // Raises "Failed to set data for '%s'".
  void WriteNumber(const std::string& name, int value);
  bool HasValue(const std::string& name) const;
  bool RemoveValue(const std::string& name);
  // Deletes the key and its whole subtree (depth first, through a private
  // handle); the current key and path stay as they were, even when the
  // current key itself is removed. True when the key itself was deleted.
  bool RemoveKey(const std::string& path);
  // Replace the list by the current key's subkey or value names:
  // ERROR_SUCCESS, or the registry's code (ERROR_KEY_DELETED for a key
  // deleted since it was opened) with the list empty when the key cannot be
  // queried.
  LONG ListSubkeys(LineList& list) const;
  LONG ListValueNames(LineList& list) const;
  // Every field zero, then filled; false (all zero) when the query fails.
  bool QueryKeyInfo(KeyInfo& info) const;

 private:
  // The base key and the rest of path, from the object's state now.
  HKEY Resolve(const std::string& path, std::string& rest) const;

  UniqueRegKey current_;
  HKEY root_ = HKEY_CURRENT_USER;
  std::string currentPath_;
};

}  // namespace platform
