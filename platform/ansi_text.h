// Walking ANSI text by characters rather than bytes: in a double-byte code
// page (932, 936, 949, 950) the byte after a lead byte is the second half of
// its character, whatever its value, and may be 0x5C, the backslash.
#pragma once
#include <cstddef>
#include <string_view>

namespace platform {

// Tells whether a byte starts a double-byte character in the code page.
using LeadByteTest = bool (*)(unsigned char byte);

// The lead bytes of the process's ANSI code page (IsDBCSLeadByte); Windows
// builds only.
bool IsAnsiLeadByte(unsigned char byte);

// The position just after the last one-byte character of text that is one of
// characters; 0 when there is none. A lead byte at the very end stands alone.
std::size_t AfterLastOf(std::string_view text, std::string_view characters, LeadByteTest isLeadByte);

// True when the last character of text is the one-byte character c.
bool EndsWithCharacter(std::string_view text, char c, LeadByteTest isLeadByte);

}  // namespace platform
