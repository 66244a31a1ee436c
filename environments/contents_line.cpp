#include "environments/contents_line.h"

namespace environments {

std::string_view ContentsLineTarget(std::string_view line) {
  const std::size_t equals = line.find('=');
  // Without "=" the target is the empty text at the line's end: a view into
  // the line like every other target.
  return line.substr(equals == std::string_view::npos ? line.size() : equals + 1);
}

}  // namespace environments
