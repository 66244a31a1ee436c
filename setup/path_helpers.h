// Path helpers shared by the removal and editing phases.
#pragma once
#include <string>

namespace setup {

// The path unchanged when empty or when its last character (not byte: a
// double-byte character may end in 0x5C) is a backslash, else path + "\";
// by the process's ANSI code page.
std::string AddTrailingBackslash(const std::string& path);

// True when the path names a file (not a folder) whose last-write time, in
// local time, is a valid DOS date and time.
bool FileIsPresent(const std::string& path);

}  // namespace setup
