// The uninstall record: the key that the installer wrote below
// HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall.
#pragma once
#include <string>

namespace setup {

// One value of the record as text, up to its first NUL, whatever its type.
// Creates the parent and the record when missing (an empty record stays).
// A value that grows between its size query and its read is read again
// with its new size; every failure, and a value that disappears meanwhile,
// gives empty text. Never raises.
std::string ReadUninstallValue(const std::string& keyName, const std::string& valueName);

// Deletes the record key with its values (one RegDeleteKeyA), then flushes
// the parent. Silent on every failure.
void DeleteUninstallRecord(const std::string& keyName);

}  // namespace setup
