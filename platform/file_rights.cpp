#include "platform/file_rights.h"

#include "platform/bound_function.h"
#include "platform/plain_file.h"

namespace platform {
namespace {

// Windows 95 exports the security calls at most as stubs: they are bound at
// run time from advapi32, which the program imports anyway.
template <typename Function>
Function SecurityCall(const char* name) {
  return ModuleFunction<Function>(GetModuleHandleA("advapi32.dll"), name);
}

// The failure of a Windows or a volume (FAT) that keeps no rights.
bool KeepsNoRights(DWORD error) {
  return error == ERROR_CALL_NOT_IMPLEMENTED || error == ERROR_NOT_SUPPORTED || error == ERROR_INVALID_FUNCTION;
}

}  // namespace

FileRights::FileRights(const std::string& path) {
  const auto getFileSecurity = SecurityCall<decltype(&GetFileSecurityA)>("GetFileSecurityA");
  if (!getFileSecurity) return;
  DWORD size = 512;  // a file's DACL seldom needs more; else once more with the size it needs
  for (int attempt = 0; attempt < 2; ++attempt) {
    descriptor_.assign(size / sizeof(DWORD) + 1, 0);
    DWORD needed = 0;
    if (getFileSecurity(path.c_str(), DACL_SECURITY_INFORMATION, descriptor_.data(), size, &needed)) {
      state_ = State::Read;
      return;
    }
    const DWORD error = GetLastError();
    if (KeepsNoRights(error)) return;
    state_ = State::Unread;
    if (error != ERROR_INSUFFICIENT_BUFFER) return;
    size = needed;
  }
}

bool FileRights::PutOn(const std::string& path, const BY_HANDLE_FILE_INFORMATION& made) const {
  if (state_ != State::Read) return state_ == State::None;
  const auto setKernelObjectSecurity = SecurityCall<decltype(&SetKernelObjectSecurity)>("SetKernelObjectSecurity");
  BY_HANDLE_FILE_INFORMATION found{};
  const UniqueFile file = OpenPlainFile(path, WRITE_DAC | FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &found);
  if (!setKernelObjectSecurity || !file.IsValid() || found.dwVolumeSerialNumber != made.dwVolumeSerialNumber ||
      found.nFileIndexHigh != made.nFileIndexHigh || found.nFileIndexLow != made.nFileIndexLow)
    return false;
  auto* const descriptor = const_cast<DWORD*>(descriptor_.data());
  return setKernelObjectSecurity(file.Get(), DACL_SECURITY_INFORMATION, descriptor) || KeepsNoRights(GetLastError());
}

}  // namespace platform
