#pragma once

namespace uninstall {

// Deletes the files of the record's FILES list whose shared-use counter
// drops to zero, under the "Removing files" progress dialog. The dialog and
// the list are gone before a failure leaves. Begins after the entries that
// the FILESDONE mark (setup/phase_progress.h) says an earlier run of this
// installation did, and keeps that mark up to date entry by entry.
void RemoveInstalledFiles();

}  // namespace uninstall
