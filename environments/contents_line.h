// The line format of an environment's help contents file, as far as the
// uninstaller reads it.
#pragma once
#include <string>

namespace environments {

// The target of a contents line: everything after its first "=", blanks
// included; the empty text for a line without "=".
std::string ContentsLineTarget(const std::string& line);

}  // namespace environments
