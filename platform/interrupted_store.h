// A store of a line list (LineList::StoreLines) that a kill cut after the
// target's old file went and before the new text took its name: Wine's
// ReplaceFileA deletes the target before it renames the new file, and on
// Windows a replacement that fails half-way is finished by a move that the
// kill may come before. The target is then missing, and its whole new text
// lies beside it in the store's temporary file.
#pragma once
#include <functional>
#include <string>

namespace platform {

// What a phase accepts as a text that its own run was about to store.
using OwnText = std::function<bool(const std::string& text)>;

// Where the file at path is missing, looks beside it for a file of the name
// that the store gives its temporary files ("qnl", one to four hexadecimal
// digits, ".tmp") that is a plain file of one link, open without sharing,
// with the security of the store's temporary files (PrivateFileSecurity::IsOn:
// no one else could have written it), holding a text that isOwnText takes
// and that a line list stores byte for byte (lines ending CR LF). The last
// written such text is stored under path as a new file made here (the found file
// keeps its own name and rights and is deleted afterwards). True then; false,
// nothing changed, where the file is present or no file beside it passes
// (always on Windows 9x, which keeps no rights to tell them by). Raises as
// StoreLines where the new file cannot be made or written, or Windows NT
// cannot build the rights to compare with.
bool TakeBackInterruptedStore(const std::string& path, const OwnText& isOwnText);

// Deletes the store's temporary files beside the file at path that a run of
// the program's own left there, ended before their new text took the name
// (as TakeBackInterruptedStore tells them, whatever text they hold): a
// complete run leaves none. Files of that name that anyone else could have
// made or written, or that are open, are kept. Silent on every failure but
// EInOutError where Windows NT cannot build the rights to compare with.
void DeleteLeftTemporaryFiles(const std::string& path);

}  // namespace platform
