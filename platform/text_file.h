// A text file written through a buffer of 128 bytes, each step checked for an
// I/O error: a failed create, write or close raises EInOutError with the
// operating-system code (a write that stores fewer bytes than asked counts
// as code 101, "Disk full"). Bytes written before an error stay in the file.
#pragma once
#include <windows.h>

#include <string>

#include "platform/unique_handle.h"

namespace platform {

class TextFile {
 public:
  // Creates the file new for writing, with that security (nullptr: the
  // folder's); others may read it meanwhile. A file, folder or link of that
  // name fails the create: nothing that was there is reused or followed.
  TextFile(const std::string& path, SECURITY_ATTRIBUTES* security);
  TextFile(const TextFile&) = delete;
  TextFile& operator=(const TextFile&) = delete;

  // Appends the line and CR LF; the buffer is written out whenever it is full.
  void WriteLine(const std::string& line);
  // Writes out what is buffered and closes the file.
  void Close();

 private:
  void Put(char c);
  void Flush();

  static constexpr std::size_t kBufferSize = 128;
  UniqueFile file_;
  char buffer_[kBufferSize] = {};
  std::size_t used_ = 0;
};

}  // namespace platform
