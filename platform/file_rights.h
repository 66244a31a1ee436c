// The rights of a file that a store replaces, for the new file that takes
// its name by a rename of the store's own. ReplaceFileA gives the new file
// the old one's rights itself; a plain rename (NT 4.0's MoveFileExA, the two
// MoveFileA of Windows 9x, the move that finishes a replacement stopped
// half-way) leaves it the rights it was made with, which no one but the
// program's account and the administrators have.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace platform {

class FileRights {
 public:
  // Reads the DACL of the file at path. Windows 9x keeps no rights (its
  // security calls fail as not implemented), nor does a volume without them:
  // there is nothing to carry then.
  explicit FileRights(const std::string& path);
  FileRights(const FileRights&) = delete;
  FileRights& operator=(const FileRights&) = delete;

  // False when the file has rights that could not be read: a rename would
  // then leave the new file others than the old one had.
  bool Known() const { return state_ != State::Unread; }
  // Puts the rights read on the file at path, when it is a plain file of one
  // link and the very file that made describes (volume and index: the new
  // file after its rename, not whatever another may have put in its place).
  // True when done, or when there was nothing to carry.
  bool PutOn(const std::string& path, const BY_HANDLE_FILE_INFORMATION& made) const;

 private:
  enum class State { None, Read, Unread };
  std::vector<DWORD> descriptor_;  // self-relative, DWORD-aligned
  State state_ = State::None;
};

}  // namespace platform
