#include "setup/undone_witness.h"

#include <windows.h>

#include <vector>

#include "platform/line_list.h"
#include "platform/text_lines.h"
#include "platform/unique_handle.h"
#include "registration/shared_files.h"

namespace setup {

std::uint32_t CounterWitness(const std::string& path) {
  platform::UniqueRegKey key;
  DWORD type = 0;
  DWORD count = 0;
  DWORD size = sizeof count;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, registration::kInstalledFilesKey + 1, 0, KEY_ALL_ACCESS, key.Receive()) !=
      ERROR_SUCCESS)
    return kNoCounterWitness;
  const LONG result = RegQueryValueExA(key.Get(), path.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&count), &size);
  if (result == ERROR_FILE_NOT_FOUND) return kNoCounterWitness;
  return result == ERROR_SUCCESS && type == REG_DWORD ? count : kUnreadableWitness;
}

std::uint32_t ReleasedCounterWitness(int released) {
  return released == 0 ? kNoCounterWitness : static_cast<std::uint32_t>(released);
}

std::uint32_t ContentsWitness(const std::string& path) {
  std::string bytes;
  if (!platform::ReadWholeFile(path, FILE_SHARE_READ | FILE_SHARE_WRITE, bytes)) return kUnreadableWitness;
  std::vector<platform::LineSpan> lines;
  platform::FindLines(bytes.data(), bytes.size(), lines);
  return static_cast<std::uint32_t>(lines.size());
}

}  // namespace setup
