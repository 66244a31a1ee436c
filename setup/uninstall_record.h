// The uninstall record: the key that the installer wrote below
// HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall.
#pragma once
#include <windows.h>

#include <string>

#include "platform/unique_handle.h"

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

// The record opened with full access as it is, never created: invalid, with
// the registry's code in *result, when it is missing or cannot be opened so.
platform::UniqueRegKey OpenExistingRecord(const std::string& keyName, LONG* result);

// A value of an open key as ReadUninstallValue takes it: its data up to the
// first NUL, whatever its type; empty text when it is absent or unreadable.
std::string ReadValueText(HKEY key, const std::string& valueName);

}  // namespace setup
