// Cutting words from a command line the way the uninstaller reads its argument.
#pragma once
#include <string>

namespace uninstall {

// Cuts the next word from *cursor and advances it. Separators are the codes 1
// to 32 and empty quoted pairs (""); a quoted stretch runs to the next quote or
// the end of the line, quotes dropped. The word is never shortened, so an
// overlong name can never select another record. Empty at the end of the line.
std::string CutWord(const char*& cursor);

// The n-th word after the program's own word (n >= 1), or empty text.
std::string WordOfCommandLine(const char* commandLine, int n);

}  // namespace uninstall
