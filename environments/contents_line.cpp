#include "environments/contents_line.h"

namespace environments {

std::string ContentsLineTarget(const std::string& line) {
  const std::size_t equals = line.find('=');
  return equals == std::string::npos ? std::string() : line.substr(equals + 1);
}

}  // namespace environments
