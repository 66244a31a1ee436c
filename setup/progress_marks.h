// Where a run keeps its done marks (setup/done_mark.h): a key of the user's
// own data per uninstall record, not the record itself, so that the record
// keeps the last-write time that the installer gave it and goes with one
// call, and so that a mark outlives neither a complete run nor (as the
// time tells) the installation that it was about.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "setup/done_mark.h"

namespace setup {

// The progress key of the record keyName below HKEY_CURRENT_USER:
// "Software\Quenlar\UninstallProgress\" followed by the key name. A name
// with backslashes names nested keys, as it does for the record.
std::string ProgressKeyPath(const std::string& keyName);

// The open record's last-write time; 0 when the query fails or the system
// keeps none (Windows 95, 98 and Me report 0).
std::uint64_t RecordWriteTime(HKEY record);

// The mark of the list listName that a run left for the record keyName;
// false, mark untouched, when there is none or it is no mark. Creates
// nothing.
bool ReadDoneMark(const std::string& keyName, const std::string& listName, DoneMark& mark);

// Deletes the marks of the record keyName, then their key and each parent
// key of it up to "UninstallProgress" that is left empty; a key that holds
// anything else stays. Silent on every failure.
void DeleteDoneMarks(const std::string& keyName);

}  // namespace setup
