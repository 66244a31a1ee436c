// Files opened by a name in a folder that other users may be able to write:
// whatever they put under that name (a hard link to another file, a symbolic
// link, a junction, a folder) is never read, written or changed through.
#pragma once
#include <windows.h>

#include <string>

#include "platform/unique_handle.h"

namespace platform {

// FILE_FLAG_OPEN_REPARSE_POINT where Windows has reparse points (2000 and
// later): a create or open then takes the name's own entry, never a file or
// folder that a link there leads to. 0 on older Windows, which has no links
// of that kind and predates the flag.
DWORD OwnEntryFlag();

// Whether the entry of that name is a reparse point that leads elsewhere by
// its name (IsReparseTagNameSurrogate: a symbolic link, a junction). Other
// reparse points (a file that Windows keeps compressed, deduplicated, or as
// a cloud placeholder) are files of their own. False where the name cannot
// be found.
bool IsNameSurrogate(const std::string& path);

// Opens the existing entry of that name itself (OwnEntryFlag), valid only
// when it is a plain file of one link: no folder, no name surrogate, no second
// name elsewhere. Another reparse point is opened again without
// OwnEntryFlag, so that its file system gives its data, and taken only
// where that open reaches the very entry of the first. So nothing done through the handle reaches another file;
// and while it is held for reading or writing without FILE_SHARE_DELETE, no
// one can delete or rename the name, so that calls by the name reach this
// file too. Invalid, with the
// file closed again, when the entry is anything else or cannot be opened;
// info, when given, receives the file's information.
UniqueFile OpenPlainFile(const std::string& path, DWORD access, DWORD shareMode,
                         BY_HANDLE_FILE_INFORMATION* info = nullptr);

// Sets the attributes of the file at path when it is a plain file of one link
// (held meanwhile, as above); false, nothing changed, when it is anything else
// or the attributes cannot be set.
bool SetPlainFileAttributes(const std::string& path, DWORD attributes);

}  // namespace platform
