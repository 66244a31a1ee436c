#include "environments/contents_line.h"

namespace environments {

std::string_view ContentsLineTarget(std::string_view line) {
  const std::size_t equals = line.find('=');
  return equals == std::string_view::npos ? std::string_view() : line.substr(equals + 1);
}

}  // namespace environments
