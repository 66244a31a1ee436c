// The process's ANSI code page, for walking path texts by characters.
#include <windows.h>

#include "platform/path_text.h"

namespace platform {

bool IsAnsiLeadByte(unsigned char byte) { return IsDBCSLeadByte(byte) != FALSE; }

}  // namespace platform
