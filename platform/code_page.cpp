// The process's ANSI code page, for the character walks of platform/ansi_text.
#include <windows.h>

#include "platform/ansi_text.h"

namespace platform {

bool IsAnsiLeadByte(unsigned char byte) { return IsDBCSLeadByte(byte) != FALSE; }

}  // namespace platform
