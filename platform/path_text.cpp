#include "platform/path_text.h"

namespace platform {

std::string QuoteText(const std::string& text, char quote) { return quote + text + quote; }

std::string AddTrailingBackslash(const std::string& path, LeadByteTest isLeadByte) {
  if (path.empty() || platform::EndsWithCharacter(path, '\\', isLeadByte)) return path;
  return path + '\\';
}

std::string FolderOfPath(const std::string& path, LeadByteTest isLeadByte) {
  std::size_t end = 0;                // one past the last delimiter
  bool afterDelimiter = false;        // the last delimiter follows another one
  bool previousWasDelimiter = false;  // whether the character before was one
  for (std::size_t i = 0; i < path.size(); ++i) {
    const unsigned char byte = static_cast<unsigned char>(path[i]);
    if (isLeadByte(byte) && i + 1 < path.size()) {
      ++i;  // the trail byte may have any value
      previousWasDelimiter = false;
      continue;
    }
    const bool delimiter = byte == '\\' || byte == ':';
    if (delimiter) end = i + 1, afterDelimiter = previousWasDelimiter;
    previousWasDelimiter = delimiter;
  }
  if (end > 1 && path[end - 1] == '\\' && !afterDelimiter) --end;
  return path.substr(0, end);
}

}  // namespace platform
