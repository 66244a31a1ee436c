// The text of the failure message box.
#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/ansi_text.h"

namespace platform {

// Formats "Exception %s in module %s at %p.\n%s%s" (the pattern as loaded from
// the string table) into out: kind name, module file name without folder,
// offset as 8 hex digits, message, and "." unless the message is empty or
// already ends in one. At most capacity - 1 characters; never allocates. The
// module path is walked by the code page's characters (isLeadByte).
std::size_t FormatFailureText(char* out, std::size_t capacity, const char* pattern,
                              const char* kindName, const char* modulePath,
                              std::uint32_t offset, const char* message, LeadByteTest isLeadByte);

// "Runtime error NNN at XXXXXXXX" for failures while reporting is not in place.
std::size_t FormatRuntimeErrorText(char* out, std::size_t capacity, int errorNumber,
                                   std::uint32_t offset);

}  // namespace platform
