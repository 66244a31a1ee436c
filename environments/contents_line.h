// The line format of an environment's help contents file, as far as the
// uninstaller reads it.
#pragma once
#include <string_view>

namespace environments {

// The target of a contents line: everything after its first "=", blanks
// included; the empty text at the line's end for a line without "=". Always
// a view into line.
std::string_view ContentsLineTarget(std::string_view line);

}  // namespace environments
