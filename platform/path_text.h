// Path texts: quoting and the folder of a path, by characters of the ANSI
// code page; only IsAnsiLeadByte needs Win32.
#pragma once
#include <string>

#include "platform/ansi_text.h"

namespace platform {

// The character, the text, the character; nothing inside is escaped.
std::string QuoteText(const std::string& text, char quote);

// The path unchanged when empty or when its last character is a backslash,
// else path + "\". The last character, not byte: "表" in code page 932 is
// 0x95 0x5C and still needs its backslash.
std::string AddTrailingBackslash(const std::string& path, LeadByteTest isLeadByte);

// The first i characters of path, i being the position of its last "\" or
// ":" (0 without either), less the final backslash unless it follows a drive
// colon or another backslash: "C:\P\a.exe" gives "C:\P", "C:\a.exe" gives
// "C:\". A "\" or ":" that is the second byte of a double-byte character is
// no delimiter.
std::string FolderOfPath(const std::string& path, LeadByteTest isLeadByte);

}  // namespace platform
