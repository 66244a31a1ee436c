// Per-user shared-use counters of installed files: REG_DWORD values named by
// the file's full path in "\Software\Quenlar\InstalledFiles" below
// HKEY_CURRENT_USER. The key goes together with its last counter.
#pragma once
#include <string>

#include "platform/registry_session.h"

namespace registration {

// The counters' key, an absolute path below HKEY_CURRENT_USER.
inline constexpr char kInstalledFilesKey[] = "\\Software\\Quenlar\\InstalledFiles";

// Lowers the counter by one and returns the new count (a counter reaching 0
// is removed, and the key with it when it was the last); -1 without key or
// counter. Raises ERegistryException when the counter is not a readable
// number or cannot be written; nothing is changed then.
int ReleaseSharedFile(const std::string& path);

// What a counter shows, read as ReleaseSharedFile reads it but never
// raising: none (no key or no counter), a number, or a value that
// ReleaseSharedFile would refuse.
struct CounterState {
  enum Kind { None, Number, Unreadable } kind = None;
  unsigned long value = 0;  // of a Number
};
CounterState SharedFileState(const std::string& path);
// The same, in the counters' key that registry holds open: for a run of
// reads that opens the key once.
CounterState SharedFileStateIn(const platform::RegistrySession& registry, const std::string& path);

// The stored count unchanged, or -1 without key or counter. Raises
// ERegistryException when the counter is not a readable number.
int SharedFileCount(const std::string& path);

}  // namespace registration
