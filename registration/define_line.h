// The "{$DEFINE" lines of a product's include file, which switch its
// sub-products on (active line) and off (commented-out line).
#pragma once
#include <functional>
#include <optional>
#include <string>

namespace registration {

struct DefineLine {
  bool IsDefine = false;
  bool Active = false;  // not commented out with "//"
  std::string Symbol;   // letter case as read; may be empty
};

// Recognises "[ws][//[ws]]{$DEFINE[ws]symbol..." with the keyword in any
// letter case; whitespace is tab, LF, CR and space only, and the symbol is the
// longest run of "$", digits, letters A to Z in either case and "_".
DefineLine ParseDefineLine(const std::string& line);

// "  {$DEFINE symbol}" for an active symbol, the same after "//" otherwise, so
// that both kinds stay aligned.
std::string WriteDefineLine(const std::string& symbol, bool active);

// The define line rewritten with its symbol active exactly when isRemaining
// says so; whatever followed the symbol becomes "}". Nothing for a line that
// is no define line.
std::optional<std::string> RewriteDefineLine(const std::string& line,
                                             const std::function<bool(const std::string&)>& isRemaining);

// True for "{$I vx.inc}" in any letter case of a to z, untrimmed: the line at
// which the define lines end.
bool IsDefineRegionEnd(const std::string& line);

}  // namespace registration
