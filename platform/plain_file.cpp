#include "platform/plain_file.h"

namespace platform {

DWORD OwnEntryFlag() {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  const bool reparsePoints =
      GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion >= 5;
  return reparsePoints ? FILE_FLAG_OPEN_REPARSE_POINT : 0;
}

bool IsNameSurrogate(const std::string& path) {
  WIN32_FIND_DATAA found;
  const UniqueFind entry(FindFirstFileA(path.c_str(), &found));
  // dwReserved0 holds the reparse tag of a reparse point.
  return entry.IsValid() && (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
         IsReparseTagNameSurrogate(found.dwReserved0);
}

namespace {

UniqueFile OpenExisting(const std::string& path, DWORD access, DWORD shareMode, DWORD flags,
                        BY_HANDLE_FILE_INFORMATION& found) {
  UniqueFile file(CreateFileA(path.c_str(), access, shareMode, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | flags,
                              nullptr));
  if (file.IsValid() && !GetFileInformationByHandle(file.Get(), &found)) file.Reset();
  return file;
}

bool SameEntry(const BY_HANDLE_FILE_INFORMATION& a, const BY_HANDLE_FILE_INFORMATION& b) {
  return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
         a.nFileIndexLow == b.nFileIndexLow;
}

// A reparse point that is a file of its own, opened again for its data; the
// first handle, held meanwhile, keeps the name on that entry.
UniqueFile ReopenForData(const std::string& path, DWORD access, DWORD shareMode, UniqueFile& own,
                         BY_HANDLE_FILE_INFORMATION& found) {
  if (IsNameSurrogate(path)) return UniqueFile();
  const BY_HANDLE_FILE_INFORMATION first = found;
  // The first handle shares nothing the second needs where shareMode is 0: it goes first, and the second
  // must reach the same entry.
  own.Reset();
  UniqueFile data = OpenExisting(path, access, shareMode, 0, found);
  if (data.IsValid() && !SameEntry(first, found)) data.Reset();
  return data;
}

}  // namespace

UniqueFile OpenPlainFile(const std::string& path, DWORD access, DWORD shareMode, BY_HANDLE_FILE_INFORMATION* info) {
  BY_HANDLE_FILE_INFORMATION own{};
  BY_HANDLE_FILE_INFORMATION& found = info ? *info : own;
  UniqueFile file = OpenExisting(path, access, shareMode, OwnEntryFlag(), found);
  if (!file.IsValid()) return file;
  if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) file = ReopenForData(path, access, shareMode, file, found);
  if (!file.IsValid() || found.nNumberOfLinks != 1 || (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
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
