// The program runs as administrator in a folder that others may be able to
// write: no DLL that it loads, or that the system loads for it, may come
// from there.
#pragma once
#include <windows.h>

namespace uninstall {

// Takes the program's folder out of the DLL search for the rest of the run
// where this Windows allows it: SetDefaultDllDirectories with
// LOAD_LIBRARY_SEARCH_SYSTEM32 (Windows 8 on; Vista and 7 with update
// KB2533623) leaves the system folder alone, and SetDllDirectoryA("")
// (XP SP1 on) drops the current folder. Both are bound at run time; where
// they are missing the search stays as it was.
void RestrictDllSearch();

// Loads the DLL of that name from the system folder, by its full path;
// null when it cannot be loaded. It stays loaded for the rest of the run.
HMODULE LoadSystemLibrary(const char* name);

}  // namespace uninstall
