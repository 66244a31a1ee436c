#include "platform/failure_text.h"

#include <cstring>

#include "platform/ansi_text.h"

#include "platform/text_format.h"

namespace platform {

std::size_t FormatFailureText(char* out, std::size_t capacity, const char* pattern,
                              const char* kindName, const char* modulePath,
                              std::uint32_t offset, const char* message, LeadByteTest isLeadByte) {
  const char* path = modulePath ? modulePath : "";
  const char* moduleName = path + AfterLastOf(path, "\\", isLeadByte);
  const char* text = message ? message : "";
  const std::size_t length = std::strlen(text);
  const char* period = (length > 0 && text[length - 1] != '.') ? "." : "";
  const FormatArg args[] = {FormatArg::Text(kindName), FormatArg::Text(moduleName),
                            FormatArg::Location(offset), FormatArg::Text(text),
                            FormatArg::Text(period)};
  return FormatInto(out, capacity, pattern, args, 5);
}

std::size_t FormatRuntimeErrorText(char* out, std::size_t capacity, int errorNumber,
                                   std::uint32_t offset) {
  // The number stands right-aligned in three places after "Runtime error ".
  char number[16];
  const FormatArg digits = FormatArg::Number(errorNumber);
  const std::size_t n = FormatInto(number, sizeof number, "%d", &digits, 1);
  char padded[8] = "   ";
  if (n <= 3) std::memcpy(padded + 3 - n, number, n + 1);
  const FormatArg args[] = {FormatArg::Text(n <= 3 ? padded : number), FormatArg::Location(offset)};
  return FormatInto(out, capacity, "Runtime error %s at %p", args, 2);
}

}  // namespace platform
