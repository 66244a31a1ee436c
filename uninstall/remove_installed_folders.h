#pragma once

namespace uninstall {

// Removes the folders of the record's FOLDERS list, subfolders before their
// parents, as far as they are empty. A folder that cannot be removed (not
// empty, missing, in use) stays silently, and so do its parents.
void RemoveInstalledFolders();

}  // namespace uninstall
