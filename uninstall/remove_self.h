// The last step of the run: removing the program's own file.
#pragma once
#include <string>

namespace uninstall {

// Deletes the program file; when that fails (a running program's file is
// locked), writes "$delme.bat" beside it and starts it hidden: it deletes the
// file once the program has ended, then itself. A "$delme.bat" that is there
// already is deleted first and the batch file made new, on Windows NT with
// rights for SYSTEM, the Administrators and the running account only; the
// attributes of a file that either name reaches through a link or a second
// name are never changed. The
// batch file names the paths in the OEM code page, by their short form where
// a character has no OEM form. Once it is written, a read-only or system
// attribute of the program file is cleared, so that its loop can end, and
// put back when it cannot be started. Raises EInOutError when the batch file
// cannot be created (an earlier one that cannot be deleted included) or
// written, or cannot name the program file ("Invalid filename": no OEM form
// and no short form); the program file then stays as it was.
void RemoveSelf(const std::string& programPath);

// "$delme.bat" in the program file's folder.
std::string RemovalBatchPath(const std::string& programPath);

// Starts a process for the command line in a hidden window without waiting
// for it; true when it was created. Its two handles are closed at once.
bool RunHidden(const std::string& commandLine);

}  // namespace uninstall
