#include "platform/text_file.h"

#include "platform/errors.h"
#include "platform/plain_file.h"

namespace platform {

TextFile::TextFile(const std::string& path, SECURITY_ATTRIBUTES* security)
    : file_(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, security, CREATE_NEW,
                        FILE_ATTRIBUTE_NORMAL | OwnEntryFlag(), nullptr)) {
  if (!file_.IsValid()) RaiseInOutError(GetLastError());
}

void TextFile::WriteLine(const std::string& line) {
  for (char c : line) Put(c);
  Put('\r');
  Put('\n');
}

void TextFile::Put(char c) {
  buffer_[used_++] = c;
  if (used_ == kBufferSize) Flush();
}

void TextFile::Flush() {
  if (used_ == 0) return;
  DWORD written = 0;
  if (!WriteFile(file_.Get(), buffer_, static_cast<DWORD>(used_), &written, nullptr))
    RaiseInOutError(GetLastError());
  if (written != used_) RaiseInOutError(kDiskFull);
  used_ = 0;
}

void TextFile::Close() {
  Flush();
  if (!CloseHandle(file_.Release())) RaiseInOutError(GetLastError());
}

}  // namespace platform
