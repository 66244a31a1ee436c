#include "registration/define_line.h"

#include "platform/text_lines.h"

namespace registration {
namespace {

const char kKeyword[] = "{$DEFINE";
constexpr std::size_t kKeywordLength = sizeof kKeyword - 1;

bool IsWhitespace(char c) { return c == '\t' || c == '\n' || c == '\r' || c == ' '; }

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool IsSymbolCharacter(char c) {
  const char upper = Upper(c);
  return c == '$' || c == '_' || (c >= '0' && c <= '9') || (upper >= 'A' && upper <= 'Z');
}

std::size_t SkipWhitespace(const std::string& line, std::size_t at) {
  while (at < line.size() && IsWhitespace(line[at])) ++at;
  return at;
}

bool KeywordAt(const std::string& line, std::size_t at) {
  if (line.size() - at < kKeywordLength) return false;
  for (std::size_t i = 0; i < kKeywordLength; ++i)
    if (Upper(line[at + i]) != kKeyword[i]) return false;
  return true;
}

}  // namespace

DefineLine ParseDefineLine(const std::string& line) {
  std::size_t at = SkipWhitespace(line, 0);
  const bool commented = line.compare(at, 2, "//") == 0;
  if (commented) at = SkipWhitespace(line, at + 2);
  if (!KeywordAt(line, at)) return {};
  at = SkipWhitespace(line, at + kKeywordLength);
  std::size_t end = at;
  while (end < line.size() && IsSymbolCharacter(line[end])) ++end;
  return {true, !commented, line.substr(at, end - at)};
}

std::string WriteDefineLine(const std::string& symbol, bool active) {
  return (active ? "" : "//") + std::string("  ") + kKeyword + " " + symbol + "}";
}

std::optional<std::string> RewriteDefineLine(const std::string& line,
                                             const std::function<bool(const std::string&)>& isRemaining) {
  const DefineLine define = ParseDefineLine(line);
  if (!define.IsDefine) return std::nullopt;
  return WriteDefineLine(define.Symbol, isRemaining(define.Symbol));
}

bool IsDefineRegionEnd(const std::string& line) { return platform::CaselessCompareAscii(line, "{$I vx.inc}") == 0; }

}  // namespace registration
