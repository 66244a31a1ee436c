#include "platform/text_lines.h"

namespace platform {
namespace {

// The end of the line that begins at start (its line break, or length), and
// in next where the line after it begins: past CR LF, a lone CR or a lone LF.
std::size_t LineEnd(const char* text, std::size_t length, std::size_t start, std::size_t& next) noexcept {
  std::size_t end = start;
  while (end < length && text[end] != '\r' && text[end] != '\n') ++end;
  next = end;
  if (next < length && text[next] == '\r') ++next;
  if (next < length && text[next] == '\n') ++next;
  return end;
}

}  // namespace

std::size_t FindLines(const char* text, std::size_t size, std::vector<LineSpan>& spans) {
  if (!text) return 0;
  // One pass over the bytes, most of which are no control character at all:
  // a line ends at CR LF, a lone CR or a lone LF, the text at the first NUL.
  std::size_t start = 0;
  std::size_t i = 0;
  while (i < size) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c > '\r' || (c != '\r' && c != '\n' && c != '\0')) {
      ++i;
      continue;
    }
    if (c == '\0') break;
    spans.push_back({start, i - start});
    if (c == '\r' && i + 1 < size && text[i + 1] == '\n') ++i;
    start = ++i;
  }
  if (start < i) spans.push_back({start, i - start});
  return i;
}

std::size_t LineStart(const char* text, std::size_t length, std::size_t index) noexcept {
  std::size_t cursor = 0;
  for (; index > 0 && cursor < length; --index) LineEnd(text, length, cursor, cursor);
  return cursor;
}

std::vector<std::string> SplitLines(const char* text, std::size_t size, std::size_t* consumed) {
  std::vector<LineSpan> spans;
  const std::size_t length = FindLines(text, size, spans);
  if (consumed) *consumed = length;
  std::vector<std::string> lines;
  lines.reserve(spans.size());
  for (const LineSpan& span : spans) lines.emplace_back(text + span.Offset, span.Length);
  return lines;
}

void CutAtDataEnd(std::string& text, std::size_t size) {
  if (size < text.size()) text.resize(size);
  const std::size_t nul = text.find('\0');
  if (nul != std::string::npos) text.resize(nul);
}

std::string JoinLines(const std::vector<std::string>& lines) {
  std::size_t total = 0;
  for (const std::string& line : lines) total += line.size() + 2;
  std::string text;
  text.reserve(total);
  for (const std::string& line : lines) {
    text += line;
    text += "\r\n";
  }
  return text;
}

int CaselessCompareAscii(const std::string& a, const std::string& b) {
  const std::size_t shorter = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < shorter; ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]);
    unsigned char y = static_cast<unsigned char>(b[i]);
    if (x >= 'a' && x <= 'z') x = static_cast<unsigned char>(x - 32);
    if (y >= 'a' && y <= 'z') y = static_cast<unsigned char>(y - 32);
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

}  // namespace platform
