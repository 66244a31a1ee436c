// Any bytes split into lines: no line holds CR, LF or NUL, the split stops at
// the first NUL, the lines joined again split back to the same lines, and
// the text from where each line starts splits into the lines from it on.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/text_lines.h"

namespace {

int Sign(int n) { return (n > 0) - (n < 0); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const char* text = reinterpret_cast<const char*>(data);
  std::size_t consumed = 0;
  const std::vector<std::string> lines = platform::SplitLines(text, size, &consumed);
  const void* nul = std::memchr(text, '\0', size);
  if (consumed != (nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - text) : size)) std::abort();
  for (const std::string& line : lines)
    if (line.find_first_of(std::string("\r\n\0", 3)) != std::string::npos) std::abort();
  for (const std::size_t i : {std::size_t{0}, std::size_t{1}, lines.size() / 2, lines.size(), lines.size() + 1}) {
    const std::size_t start = platform::LineStart(text, consumed, i);
    const auto first = lines.begin() + static_cast<std::ptrdiff_t>(std::min(i, lines.size()));
    const std::vector<std::string> from(first, lines.end());
    if (platform::SplitLines(text + start, consumed - start) != from) std::abort();
  }
  const std::string joined = platform::JoinLines(lines);
  if (platform::SplitLines(joined.data(), joined.size()) != lines) std::abort();
  if (lines.size() >= 2 && Sign(platform::CaselessCompareAscii(lines[0], lines[1])) !=
                               -Sign(platform::CaselessCompareAscii(lines[1], lines[0])))
    std::abort();
  return 0;
}
