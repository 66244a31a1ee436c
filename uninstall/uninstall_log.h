// The lines that the uninstall writes to the run's log (platform/run_log.h):
// one per phase and one per entry's outcome. Each does nothing without a
// log, takes no memory and never raises, so that a run without a log goes
// exactly as it always went.
#pragma once
#include <windows.h>

#include <string_view>

namespace uninstall {

// "Phase: <what>".
void LogPhase(std::string_view what) noexcept;

// What the record's list listName (of count entries) says of an earlier run:
// its first done entries were done by a run that was ended from outside and
// are passed over. Nothing when done is 0.
void LogEntriesDoneBefore(std::string_view listName, int done, int count) noexcept;

// A file of FILES after its counter was released to released (-1: it had
// none): deleted, or kept and why. deleted is DeleteFileA's result, read with
// GetLastError at once; only a released count of 0 asks for a delete.
void LogFileOutcome(std::string_view path, int released, BOOL deleted) noexcept;

// A folder of FOLDERS: removed, or kept and why (RemoveDirectoryA's result,
// read with GetLastError at once).
void LogFolderOutcome(std::string_view folder, BOOL removed) noexcept;

// An entry of INSTALLEDHELPS: its line removed, or none that it names.
void LogHelpOutcome(std::string_view entry, bool removed) noexcept;

// The help phase without the environment's contents file: every entry kept.
void LogHelpsKept(std::string_view contentsFile) noexcept;

// The program file at the end of the run: "deleted", the batch file started,
// or kept and why.
void LogProgramFile(std::string_view outcome) noexcept;

}  // namespace uninstall
