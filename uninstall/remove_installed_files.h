#pragma once

namespace uninstall {

// Deletes the files of the record's FILES list whose shared-use counter
// drops to zero, under the "Removing files" progress dialog. The dialog and
// the list are gone before a failure leaves. Begins after the entries that
// the record's FILESDONE marks as done by an earlier run of this list, and
// keeps that mark up to date entry by entry.
void RemoveInstalledFiles();

}  // namespace uninstall
