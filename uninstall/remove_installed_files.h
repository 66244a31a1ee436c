#pragma once

namespace uninstall {

// Deletes the files of the record's FILES list whose shared-use counter
// drops to zero, under the "Removing files" progress dialog. The dialog and
// the list are gone before a failure leaves. FILES is the run's to-do list
// (uninstall/list_to_do.h): left with the files not yet done, and counted
// entry by entry in FILESDONE meanwhile.
void RemoveInstalledFiles();

}  // namespace uninstall
