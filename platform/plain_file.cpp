#include "platform/plain_file.h"

namespace platform {

DWORD OwnEntryFlag() {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  const bool reparsePoints =
      GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion >= 5;
  return reparsePoints ? FILE_FLAG_OPEN_REPARSE_POINT : 0;
}

UniqueFile OpenPlainFile(const std::string& path, DWORD access, DWORD shareMode, BY_HANDLE_FILE_INFORMATION* info) {
  UniqueFile file(CreateFileA(path.c_str(), access, shareMode, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL | OwnEntryFlag(), nullptr));
  BY_HANDLE_FILE_INFORMATION own{};
  BY_HANDLE_FILE_INFORMATION& found = info ? *info : own;
  if (file.IsValid() && (!GetFileInformationByHandle(file.Get(), &found) || found.nNumberOfLinks != 1 ||
                         (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)))) {
    file.Reset();
    SetLastError(ERROR_ACCESS_DENIED);
  }
  return file;
}

bool SetPlainFileAttributes(const std::string& path, DWORD attributes) {
  // Held for reading: a handle without read, write or delete access would
  // keep no one from deleting or renaming the name.
  const UniqueFile held = OpenPlainFile(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
  return held.IsValid() && SetFileAttributesA(path.c_str(), attributes);
}

}  // namespace platform
