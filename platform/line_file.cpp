// The file form of a line list: loaded whole and stored whole, each under
// exclusive access for the length of the read or the write.
#include <windows.h>

#include "platform/errors.h"
#include "platform/line_list.h"
#include "platform/string_ids.h"
#include "platform/text_lines.h"
#include "platform/unique_handle.h"

namespace platform {
namespace {

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/:");
  if (slash == std::string::npos) return ".";
  return path.substr(0, path[slash] == ':' ? slash + 1 : slash);
}

bool WriteWhole(HANDLE file, const std::string& text) {
  if (text.empty()) return true;
  DWORD written = 0;
  return WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
         written == text.size();
}

// Deletes the temporary file unless the replacement took it.
class TemporaryFile {
 public:
  explicit TemporaryFile(std::string path) : path_(std::move(path)) {}
  ~TemporaryFile() {
    if (!path_.empty()) DeleteFileA(path_.c_str());
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  const std::string& Path() const { return path_; }
  void Keep() { path_.clear(); }

 private:
  std::string path_;
};

}  // namespace

void LineList::LoadLines(const std::string& path) {
  UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.IsValid()) RaiseError(ErrorKind::FOpen, IDS_CANNOT_OPEN_FILE, path);
  const DWORD size = SetFilePointer(file.Get(), 0, nullptr, FILE_END);
  SetFilePointer(file.Get(), 0, nullptr, FILE_BEGIN);
  if (size == INVALID_SET_FILE_POINTER) RaiseError(ErrorKind::FOpen, IDS_CANNOT_OPEN_FILE, path);
  std::string bytes(size, '\0');
  DWORD read = 0;
  // A short read would make a later store drop the rest of the file.
  if (size && (!ReadFile(file.Get(), &bytes[0], size, &read, nullptr) || read != size))
    RaiseError(ErrorKind::FOpen, IDS_CANNOT_OPEN_FILE, path);
  std::size_t consumed = 0;
  std::vector<std::string> lines = SplitLines(bytes.data(), bytes.size(), &consumed);
  lines_.swap(lines);
  tail_ = bytes.substr(consumed);
}

void LineList::StoreLines(const std::string& path) const {
  // Take the target exclusively first: this fails where a plain create would
  // (in use, access denied, missing folder, read-only, hidden or system).
  UniqueFile target(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  const bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
  if (!target.IsValid()) RaiseError(ErrorKind::FCreate, IDS_CANNOT_CREATE_FILE, path);
  TemporaryFile created(existed ? std::string() : path);
  BY_HANDLE_FILE_INFORMATION info{};
  if (existed && GetFileInformationByHandle(target.Get(), &info) &&
      (info.dwFileAttributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)))
    RaiseError(ErrorKind::FCreate, IDS_CANNOT_CREATE_FILE, path);

  char tempPath[MAX_PATH + 1];
  if (!GetTempFileNameA(FolderOf(path).c_str(), "qnl", 0, tempPath))
    RaiseError(ErrorKind::FCreate, IDS_CANNOT_CREATE_FILE, path);
  TemporaryFile temp(tempPath);
  {
    UniqueFile out(CreateFileA(tempPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out.IsValid()) RaiseError(ErrorKind::FCreate, IDS_CANNOT_CREATE_FILE, path);
    if (!WriteWhole(out.Get(), JoinedText() + tail_) || !FlushFileBuffers(out.Get()))
      RaiseError(ErrorKind::Write, IDS_STREAM_WRITE_ERROR);
  }
  target.Reset();
  if (!MoveFileExA(tempPath, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    RaiseError(ErrorKind::FCreate, IDS_CANNOT_CREATE_FILE, path);
  temp.Keep();
  created.Keep();
}

}  // namespace platform
