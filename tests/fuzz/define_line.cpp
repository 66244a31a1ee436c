// Any line of an include file (the first byte says whether its symbol remains):
// a define line rewritten is a define line of the same symbol, in the written
// form, and rewriting it once more changes nothing.
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "registration/define_line.h"

using registration::ParseDefineLine;
using registration::RewriteDefineLine;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const bool remains = data[0] & 1;
  const std::string line(reinterpret_cast<const char*>(data) + 1, size - 1);
  registration::IsDefineRegionEnd(line);
  const registration::DefineLine define = ParseDefineLine(line);
  const auto isRemaining = [remains](const std::string&) { return remains; };
  const std::optional<std::string> rewritten = RewriteDefineLine(line, isRemaining);
  if (rewritten.has_value() != define.IsDefine) std::abort();
  if (!rewritten) return 0;
  if (define.Symbol.find_first_not_of("$_0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") !=
          std::string::npos ||
      line.find(define.Symbol) == std::string::npos)
    std::abort();
  if (rewritten->rfind(remains ? "  {$DEFINE " : "//  {$DEFINE ", 0) != 0) std::abort();
  const registration::DefineLine again = ParseDefineLine(*rewritten);
  if (!again.IsDefine || again.Symbol != define.Symbol) std::abort();
  if (RewriteDefineLine(*rewritten, isRemaining) != rewritten) std::abort();
  return 0;
}
