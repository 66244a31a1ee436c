// The file form of a line list: loaded whole and stored whole, each under
// exclusive access for the length of the read or the write.
#include <windows.h>

#include "platform/ansi_text.h"
#include "platform/bound_function.h"
#include "platform/errors.h"
#include "platform/file_rights.h"
#include "platform/line_list.h"
#include "platform/path_text.h"
#include "platform/plain_file.h"
#include "platform/private_file_security.h"
#include "platform/string_ids.h"
#include "platform/text_lines.h"
#include "platform/unique_handle.h"

namespace platform {
namespace {

// The folder of path, for temporary files beside it ("." when it names none).
std::string FolderOf(const std::string& path) {
  const std::string folder = FolderOfPath(path, &IsAnsiLeadByte);
  return folder.empty() ? std::string(".") : folder;
}

using ReplaceFileFunction = BOOL(WINAPI*)(LPCSTR, LPCSTR, LPCSTR, DWORD, LPVOID, LPVOID);
using MoveFileExFunction = BOOL(WINAPI*)(LPCSTR, LPCSTR, DWORD);

bool WriteWhole(HANDLE file, const std::string& text) {
  if (text.empty()) return true;
  DWORD written = 0;
  return WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
         written == text.size();
}

// Writes text at the start of the file and cuts the file there.
bool WriteFromStart(HANDLE file, const std::string& text) {
  return SetFilePointer(file, 0, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER &&
         WriteWhole(file, text) && SetEndOfFile(file);
}

// Writes, flushes and closes: true only when every step worked. A file
// written so is on the disk before it takes the target's name (a rename alone
// orders nothing on the disk: after a power loss the target could hold its
// new length of zeros), and a new target before the store counts as done.
bool WriteAndClose(UniqueFile& file, const std::string& text) {
  return WriteFromStart(file.Get(), text) && FlushFileBuffers(file.Get()) && CloseHandle(file.Release());
}

// A file that the store made, with its handle while open and its volume and
// index: on leaving, the handle is closed first (an open handle would make
// the delete fail) and the file deleted, unless the store keeps it.
class MadeFile {
 public:
  MadeFile() = default;
  MadeFile(std::string path, UniqueFile handle) : path_(std::move(path)), handle_(std::move(handle)) {
    GetFileInformationByHandle(handle_.Get(), &identity_);
  }
  ~MadeFile() {
    handle_.Reset();
    if (!path_.empty()) DeleteFileA(path_.c_str());
  }
  MadeFile(const MadeFile&) = delete;
  MadeFile& operator=(const MadeFile&) = delete;
  bool Made() const { return !path_.empty(); }
  const std::string& Path() const { return path_; }
  UniqueFile& Handle() { return handle_; }
  const BY_HANDLE_FILE_INFORMATION& Identity() const { return identity_; }
  void Keep() { path_.clear(); }

 private:
  std::string path_;
  UniqueFile handle_;
  BY_HANDLE_FILE_INFORMATION identity_{};
};

UniqueFile CreateExclusive(const std::string& path, SECURITY_ATTRIBUTES* security) {
  return UniqueFile(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, security, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL | OwnEntryFlag(), nullptr));
}

// A new file in folder, made by this very create under a name of the store's
// own ("qnl", up to four hexadecimal digits, ".tmp"): a name that is taken
// already, by whatever file or link, is passed over for the next. Held open
// without sharing, so that no one can take its name from it meanwhile, with
// that security (nullptr: the folder's). Not Made() when no file can be made
// there.
MadeFile MakeTemporaryFile(const std::string& folder, SECURITY_ATTRIBUTES* security) {
  char name[MAX_PATH + 1];
  for (UINT unique = 1; unique <= 0xFFFF; ++unique) {
    if (!GetTempFileNameA(folder.c_str(), "qnl", unique, name)) break;  // a name only, for a unique other than 0
    UniqueFile file = CreateExclusive(name, security);
    if (file.IsValid()) return MadeFile(name, std::move(file));
    if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
  return MadeFile();
}

// The security of the store's temporary files, the same for every store of
// the run: built at the first (where that raises, the next store tries
// again), not at each of a few hundred help entries.
SECURITY_ATTRIBUTES* TemporaryFileSecurity() {
  static PrivateFileSecurity security;
  return security.Attributes();
}

// A target that did not exist: written and flushed through the handle that
// created it, and gone again when that fails.
void StoreNewFile(UniqueFile created, const std::string& path, const std::string& text) {
  MadeFile made(path, std::move(created));
  if (!WriteAndClose(made.Handle(), text)) RaiseError(ErrorKind::Write, IDS_STREAM_WRITE_ERROR);
  made.Keep();
}

// The new file has taken the target's name by a rename of the store's own:
// the store has stored (the caller is told so at once), and the new file
// gets the target's rights, or the store fails naming the target.
bool Renamed(const std::string& path, MadeFile& temp, const FileRights& rights, const StoreNamed& named) {
  temp.Keep();
  if (named) named();
  if (!rights.PutOn(path, temp.Identity())) RaiseError(ErrorKind::FCreate, IDS_CANNOT_CREATE_FILE, path);
  return true;
}

// The target moved to the backup but the new file did not follow: the old
// content moves back. Where something took the target's name meanwhile, or
// the move back fails, the backup keeps the old content, and the store fails
// naming the target.
void RestoreFromBackup(const std::string& path, MadeFile& backup) {
  if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES || !MoveFileA(backup.Path().c_str(), path.c_str())) {
    backup.Keep();
    RaiseError(ErrorKind::FCreate, IDS_CANNOT_CREATE_FILE, path);
  }
}

// Windows 2000 and later: ReplaceFileA keeps the target's attributes,
// security and creation time. No backup file is asked for: the temporary file
// is complete, so a replacement that stops half-way, with the target's old
// content gone from its name, is finished by moving the new text there;
// should even that fail, the temporary file keeps the new text and the store
// fails naming the target.
bool ReplaceKeepingTarget(ReplaceFileFunction replaceFile, const std::string& path, MadeFile& temp,
                          const FileRights& rights, const StoreNamed& named) {
  if (replaceFile(path.c_str(), temp.Path().c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) {
    temp.Keep();
    return true;
  }
  if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) return false;
  if (!MoveFileA(temp.Path().c_str(), path.c_str())) {
    temp.Keep();
    RaiseError(ErrorKind::FCreate, IDS_CANNOT_CREATE_FILE, path);
  }
  return Renamed(path, temp, rights, named);
}

// Windows 9x: the target moves to a backup name, the temporary file takes
// its place and the backup goes; should the second move fail, the backup
// moves back.
bool MoveThroughBackup(const std::string& path, MadeFile& temp, const FileRights& rights, const StoreNamed& named) {
  MadeFile backup = MakeTemporaryFile(FolderOf(path), nullptr);
  if (!backup.Made()) return false;
  backup.Handle().Reset();
  DeleteFileA(backup.Path().c_str());  // MoveFileA does not overwrite: only the name is wanted
  if (!MoveFileA(path.c_str(), backup.Path().c_str())) return false;
  if (MoveFileA(temp.Path().c_str(), path.c_str())) return Renamed(path, temp, rights, named);
  RestoreFromBackup(path, backup);
  return false;
}

// Puts the written and flushed temporary file in the target's place by what
// this Windows offers: ReplaceFileA; else (NT 4.0) MoveFileExA, which
// replaces the target in one step and writes the rename (not the file's
// data) through; else (9x, where MoveFileExA fails as not implemented) two
// MoveFileA. A rename of the store's own gives the new file the target's
// rights afterwards; where they cannot be read, the target is not replaced.
// False, with the target as it was, when the replacement did not take.
bool ReplaceWithTemporary(const std::string& path, MadeFile& temp, const StoreNamed& named) {
  const FileRights rights(path);
  if (const auto replaceFile = KernelFunction<ReplaceFileFunction>("ReplaceFileA"))
    return ReplaceKeepingTarget(replaceFile, path, temp, rights, named);
  if (!rights.Known()) return false;
  if (const auto moveFileEx = KernelFunction<MoveFileExFunction>("MoveFileExA")) {
    if (moveFileEx(temp.Path().c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      return Renamed(path, temp, rights, named);
    if (GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) return false;
  }
  return MoveThroughBackup(path, temp, rights, named);
}

// Rewrites the target through its own handle: it keeps everything but its
// bytes. Should the write fail, the old bytes are written back.
void RewriteInPlace(HANDLE file, const std::string& path, const std::string& text) {
  const DWORD size = GetFileSize(file, nullptr);
  if (size == INVALID_FILE_SIZE) RaiseError(ErrorKind::FCreate, IDS_CANNOT_CREATE_FILE, path);
  std::string old(size, '\0');
  DWORD read = 0;
  if (size && (SetFilePointer(file, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER ||
               !ReadFile(file, &old[0], size, &read, nullptr) || read != size))
    RaiseError(ErrorKind::FCreate, IDS_CANNOT_CREATE_FILE, path);
  // The one store that overwrites the target itself: its text is flushed to
  // the disk before the store counts as done.
  if (WriteFromStart(file, text) && FlushFileBuffers(file)) return;
  WriteFromStart(file, old);
  RaiseError(ErrorKind::Write, IDS_STREAM_WRITE_ERROR);
}

}  // namespace

bool ReadWholeFile(const std::string& path, unsigned long shareMode, std::string& bytes) {
  // A link there may lead to any file: what it holds would go into the
  // target's new text, readable as the target is.
  const UniqueFile file = OpenPlainFile(path, GENERIC_READ, shareMode);
  if (!file.IsValid()) return false;
  const DWORD size = SetFilePointer(file.Get(), 0, nullptr, FILE_END);
  if (size == INVALID_SET_FILE_POINTER || SetFilePointer(file.Get(), 0, nullptr, FILE_BEGIN) != 0) return false;
  bytes.assign(size, '\0');
  DWORD read = 0;
  // A short read would make a later store drop the rest of the file.
  return size == 0 || (ReadFile(file.Get(), &bytes[0], size, &read, nullptr) && read == size);
}

void LineList::LoadLines(const std::string& path) {
  // Read into the spare buffer, so that a failed read leaves the list as it
  // was; the lines then become views into these bytes.
  std::string& bytes = scratch_;
  if (!ReadWholeFile(path, 0, bytes)) RaiseError(ErrorKind::FOpen, IDS_CANNOT_OPEN_FILE, path);
  lines_.clear();
  const std::size_t consumed = FindLines(bytes.data(), bytes.size(), lines_);
  tail_.assign(bytes.data() + consumed, bytes.size() - consumed);
  bytes.resize(consumed);
  text_.swap(bytes);
}

void LineList::StoreLines(const std::string& path, const StoreNamed& named) const {
  std::string& text = scratch_;
  JoinInto(text);
  text += tail_;
  // A missing target is created new (which fails, untouched, where a plain
  // create would: missing folder, access denied, a file or link that
  // appeared meanwhile); a read-only, hidden or system file, a folder or a
  // link is refused as a create of a normal file would refuse it.
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    UniqueFile created = CreateExclusive(path, nullptr);
    if (!created.IsValid()) RaiseError(ErrorKind::FCreate, IDS_CANNOT_CREATE_FILE, path);
    StoreNewFile(std::move(created), path, text);
    if (named) named();
    return;
  }
  if ((attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                     FILE_ATTRIBUTE_DIRECTORY)) ||
      IsNameSurrogate(path))
    RaiseError(ErrorKind::FCreate, IDS_CANNOT_CREATE_FILE, path);

  // The new text goes to a temporary file beside the target first and is
  // flushed there, so that a failed write never touches the target and the
  // target holds its old or its new text whatever stops the run. Until it
  // has the target's name, no one else may open, replace or delete it.
  // The caller is told once, by the rename or after it.
  bool toldOnce = false;
  const StoreNamed told = [&] {
    toldOnce = true;
    if (named) named();
  };
  MadeFile temp = MakeTemporaryFile(FolderOf(path), TemporaryFileSecurity());
  if (temp.Made()) {
    if (!WriteAndClose(temp.Handle(), text)) RaiseError(ErrorKind::Write, IDS_STREAM_WRITE_ERROR);
    if (ReplaceWithTemporary(path, temp, told)) {
      if (!toldOnce) told();
      return;
    }
  }
  // No temporary file beside the target (no right to create files in its
  // folder), or no right to replace it: the user may still write the file,
  // unless another process has it open, access is denied, or it is no plain
  // file of one link.
  const UniqueFile target = OpenPlainFile(path, GENERIC_READ | GENERIC_WRITE, 0);
  if (!target.IsValid()) RaiseError(ErrorKind::FCreate, IDS_CANNOT_CREATE_FILE, path);
  RewriteInPlace(target.Get(), path, text);
  if (named) named();
}

}  // namespace platform
