#pragma once

namespace uninstall {

// Deletes the files of the record's FILES list whose shared-use counter
// drops to zero, under the "Removing files" progress dialog. The dialog and
// the list are gone before a failure leaves.
void RemoveInstalledFiles();

}  // namespace uninstall
