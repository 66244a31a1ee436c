// Any path under three code pages (the first byte chooses: none with
// double-byte characters, Shift-JIS, or every byte from 0x81 up leading): the
// folder is a beginning of the path that ends on a character boundary, the
// part dropped holds no delimiter but a first backslash, and a path without
// high bytes gives the same folder under every code page.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/path_text.h"

namespace {

bool NoLeadBytes(unsigned char) { return false; }
bool ShiftJisLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
bool HighLeadByte(unsigned char b) { return b >= 0x81 && b <= 0xFE; }

const platform::LeadByteTest kCodePages[] = {&NoLeadBytes, &ShiftJisLeadByte, &HighLeadByte};

// Where the characters of path begin, by the code page's lead bytes.
bool IsCharacterStart(const std::string& path, std::size_t at, platform::LeadByteTest isLeadByte) {
  std::size_t i = 0;
  while (i < at) i += isLeadByte(static_cast<unsigned char>(path[i])) && i + 1 < path.size() ? 2 : 1;
  return i == at;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const platform::LeadByteTest isLeadByte = kCodePages[data[0] % 3];
  const std::string path(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::string folder = platform::FolderOfPath(path, isLeadByte);
  if (path.compare(0, folder.size(), folder) != 0 || !IsCharacterStart(path, folder.size(), isLeadByte))
    std::abort();
  for (std::size_t i = folder.size(); i < path.size(); ++i) {
    const bool leads = isLeadByte(static_cast<unsigned char>(path[i])) && i + 1 < path.size();
    if (!leads && (path[i] == ':' || (path[i] == '\\' && i != folder.size()))) std::abort();
    if (leads) ++i;
  }
  bool hasHighBytes = false;
  for (const char c : path) hasHighBytes |= static_cast<unsigned char>(c) >= 0x80;
  if (!hasHighBytes && folder != platform::FolderOfPath(path, &NoLeadBytes)) std::abort();
  return 0;
}
