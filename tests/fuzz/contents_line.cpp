// Any contents file text: the target of each of its lines is what follows the
// line's first "=", and the empty text for a line without one; always the
// end of the line itself, never a text elsewhere.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "environments/contents_line.h"
#include "platform/text_lines.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  for (const std::string& line : platform::SplitLines(reinterpret_cast<const char*>(data), size)) {
    const std::string_view target = environments::ContentsLineTarget(line);
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos ? !target.empty() : line.compare(equals + 1, std::string::npos, target) != 0)
      std::abort();
    if (target.data() + target.size() != line.data() + line.size()) std::abort();
  }
  return 0;
}
