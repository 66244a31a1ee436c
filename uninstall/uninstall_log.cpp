#include "uninstall/uninstall_log.h"

#include "platform/run_log.h"

namespace uninstall {
namespace {

using platform::DecimalText;
using platform::LogLine;

// Why a file or folder that was to go stays, by the system's code.
std::string_view KeptBecause(DWORD code) noexcept {
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return "missing";
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return "kept, in use";
    case ERROR_ACCESS_DENIED:
      return "kept, access denied (read-only, or in use)";
    case ERROR_DIR_NOT_EMPTY:
      return "kept, not empty";
    default:
      return "kept";
  }
}

}  // namespace

void LogPhase(std::string_view what) noexcept { LogLine({"Phase: ", what}); }

void LogEntriesDoneBefore(std::string_view listName, int done, int count) noexcept {
  if (done <= 0) return;
  LogLine({listName, ": an earlier run that was ended from outside settled the first ", DecimalText(done).View(), " of ",
           DecimalText(count).View(), " entries (done, or kept where it cannot be told whether they were);",
           " they are passed over, the run goes on with the next",
           listName == "INSTALLEDHELPS" ? " (a line that one of them names now is another product's, and is kept)" : ""});
}

void LogFileOutcome(std::string_view path, int released, BOOL deleted) noexcept {
  const DWORD code = deleted ? 0 : GetLastError();
  if (!platform::RunLogOpen()) return;
  if (released < 0) return LogLine({"File ", path, ": no counter, kept"});
  if (released > 0)
    return LogLine({"File ", path, ": counter released to ", DecimalText(released).View(),
                    ", kept (another installation uses it)"});
  if (deleted) return LogLine({"File ", path, ": counter released to 0, deleted"});
  LogLine({"File ", path, ": counter released to 0, ", KeptBecause(code), " (system code ", DecimalText(static_cast<long>(code)).View(), ")"});
}

void LogFolderOutcome(std::string_view folder, BOOL removed) noexcept {
  const DWORD code = removed ? 0 : GetLastError();
  if (!platform::RunLogOpen()) return;
  if (removed) return LogLine({"Folder ", folder, ": removed"});
  LogLine({"Folder ", folder, ": ", KeptBecause(code), " (system code ", DecimalText(static_cast<long>(code)).View(), ")"});
}

void LogHelpOutcome(std::string_view entry, bool removed) noexcept {
  if (entry.empty()) return LogLine({"Help entry \"\": passed over, it names a line of the environment's own"});
  LogLine({"Help entry \"", entry, removed ? "\": its line removed" : "\": no line names it, nothing removed"});
}

void LogHelpsKept(std::string_view contentsFile) noexcept {
  LogLine({"Help entries: no contents file \"", contentsFile, "\", every entry kept"});
}

void LogProgramFile(std::string_view outcome) noexcept { LogLine({"Program file: ", outcome}); }

}  // namespace uninstall
