#pragma once

namespace uninstall {

// Deletes the files of the record's FILES list whose shared-use counter
// drops to zero, under the "Removing files" progress dialog. The dialog and
// the list are gone before a failure leaves. FILES is the run's to-do list
// (uninstall/list_to_do.h): left with the files not yet done, and claimed
// stretch by stretch in FILESDONE meanwhile, each file with its counter.
void RemoveInstalledFiles();

}  // namespace uninstall
