#include "uninstall/remove_self.h"

#include <windows.h>

#include <optional>

#include "platform/errors.h"
#include "platform/path_text.h"
#include "platform/plain_file.h"
#include "platform/private_file_security.h"
#include "platform/text_file.h"
#include "platform/unique_handle.h"
#include "setup/path_helpers.h"
#include "uninstall/removal_batch.h"
#include "uninstall/uninstall_log.h"

namespace uninstall {
namespace {

static_assert(sizeof(void*) != 4 || sizeof(STARTUPINFOA) == 68, "STARTUPINFOA of the 32-bit program");

const char kBatchName[] = "$delme.bat";

// The text in the OEM code page, in which cmd and command.com read a batch
// file; nothing when a character of it has no OEM form (the conversion would
// put another character in its place, and the text back would differ). Where
// the ANSI and OEM code pages are one (932, 936, 949, 950) the text stays.
std::optional<std::string> OemFormOf(const std::string& text) {
  const DWORD length = static_cast<DWORD>(text.size());
  std::string oem(text.size(), '\0');
  std::string back(text.size(), '\0');
  if (!CharToOemBuffA(text.c_str(), &oem[0], length) || !OemToCharBuffA(oem.c_str(), &back[0], length) ||
      back != text)
    return std::nullopt;
  return oem;
}

// The path's short form (each part in 8.3 form where the volume keeps one);
// empty when the system gives none.
std::string ShortPathOf(const std::string& path) {
  std::string shortPath(MAX_PATH, '\0');
  DWORD length = GetShortPathNameA(path.c_str(), &shortPath[0], MAX_PATH);
  if (length >= MAX_PATH) {  // the room it needs, its terminating NUL included
    shortPath.assign(length, '\0');
    length = GetShortPathNameA(path.c_str(), &shortPath[0], length);
  }
  shortPath.resize(length < shortPath.size() ? length : 0);
  return shortPath;
}

// The program path as the batch file must name it: in the OEM code page, or,
// when a character has no OEM form, the short path in it. A path that has
// neither would name another file or none, and the batch file's loop would
// end without deleting anything: that raises EInOutError "Invalid filename".
std::string BatchFormOf(const std::string& programPath) {
  std::optional<std::string> oem = OemFormOf(programPath);
  if (!oem) {
    const std::string shortPath = ShortPathOf(programPath);
    if (!shortPath.empty()) oem = OemFormOf(shortPath);
  }
  if (!oem) platform::RaiseInOutError(ERROR_PATH_NOT_FOUND);
  return *oem;
}

// The batch file's "del" skips read-only and system files, and its loop
// would then never end: such attributes are taken off the program file. Only
// off a plain file of one link: another user may have moved the running
// program's file aside and put a link to some other file under its name.
// Returns the attributes to put back should the batch file not start
// (INVALID_FILE_ATTRIBUTES when nothing was changed).
DWORD AllowDeletion(const std::string& programPath) {
  const DWORD attributes = GetFileAttributesA(programPath.c_str());
  const DWORD blocking = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM;
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & blocking) ||
      !platform::SetPlainFileAttributes(programPath, attributes & ~blocking))
    return INVALID_FILE_ATTRIBUTES;
  return attributes;
}

// A "$delme.bat" that is there already may be anyone's who can write the
// folder, with their rights: it is deleted, read-only or not, so that the
// batch file is made new. Only its name goes: a link, or a second name of
// another file, goes itself, and a read-only attribute is taken off only a
// plain file of one link, never off what a link or name leads to. Raises
// EInOutError, the entry put back as it was, when it cannot be deleted.
void DeleteEarlierBatch(const std::string& batchPath) {
  const DWORD attributes = GetFileAttributesA(batchPath.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  const bool cleared = (attributes & FILE_ATTRIBUTE_READONLY) &&
                       platform::SetPlainFileAttributes(batchPath, FILE_ATTRIBUTE_NORMAL);
  if (DeleteFileA(batchPath.c_str())) return;
  const DWORD error = GetLastError();
  if (cleared) platform::SetPlainFileAttributes(batchPath, attributes);
  platform::RaiseInOutError(error);
}

// The command line that starts the batch file: its quoted path. cmd expands
// "%NAME%" in that line, quoted or not, so a path with "%" is started by the
// file's bare name from its folder, made the current one (which the batch
// process inherits).
std::string StartLine(const std::string& batchPath) {
  if (batchPath.find('%') == std::string::npos) return platform::QuoteText(batchPath, '"');
  SetCurrentDirectoryA(platform::FolderOfPath(batchPath, &platform::IsAnsiLeadByte).c_str());
  return platform::QuoteText(kBatchName, '"');
}

}  // namespace

void RemoveSelf(const std::string& programPath) {
  if (DeleteFileA(programPath.c_str())) return LogProgramFile("deleted");
  const std::string programForm = BatchFormOf(programPath);
  const std::string batchPath = RemovalBatchPath(programPath);
  // cmd reads the batch file line by line while it loops: a line that anyone
  // else could put into it would run with the program's rights.
  platform::PrivateFileSecurity security;
  DeleteEarlierBatch(batchPath);
  platform::TextFile batch(batchPath, security.Attributes());
  for (const std::string& line : RemovalBatchLines(programForm, RemovalBatchPath(programForm)))
    batch.WriteLine(line);
  batch.Close();
  // Only now that the batch file is complete: a run that fails before keeps
  // the program file as it was, attributes included; so does a batch file
  // that cannot be started, as nothing will delete the program file then.
  const DWORD cleared = AllowDeletion(programPath);
  const bool started = RunHidden(StartLine(batchPath));
  if (!started && cleared != INVALID_FILE_ATTRIBUTES) platform::SetPlainFileAttributes(programPath, cleared);
  LogProgramFile(started ? "in use, \"$delme.bat\" started: it deletes the file once the program has ended"
                         : "kept, \"$delme.bat\" could not be started");
}

std::string RemovalBatchPath(const std::string& programPath) {
  return setup::AddTrailingBackslash(platform::FolderOfPath(programPath, &platform::IsAnsiLeadByte)) + kBatchName;
}

bool RunHidden(const std::string& commandLine) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  platform::UniqueProcessInformation created;
  std::string line = commandLine;  // CreateProcessA may write into it
  return CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr, nullptr,
                        &startup, created.Receive()) != FALSE;
}

}  // namespace uninstall
