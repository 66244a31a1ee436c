#include "setup/path_helpers.h"

#include <windows.h>

#include "platform/ansi_text.h"
#include "platform/unique_handle.h"
#include "platform/path_text.h"

namespace setup {

std::string AddTrailingBackslash(const std::string& path) {
  return platform::AddTrailingBackslash(path, &platform::IsAnsiLeadByte);
}

bool FileIsPresent(const std::string& path) {
  WIN32_FIND_DATAA found;
  {
    platform::UniqueFind search(FindFirstFileA(path.c_str(), &found));
    if (!search.IsValid()) return false;
  }
  if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
  FILETIME local;
  WORD date = 0;
  WORD time = 0;
  return FileTimeToLocalFileTime(&found.ftLastWriteTime, &local) &&
         FileTimeToDosDateTime(&local, &date, &time);
}

}  // namespace setup
