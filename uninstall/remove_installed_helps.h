#pragma once

namespace uninstall {

// Removes the record's INSTALLEDHELPS entries, one line each, from the help
// contents file of the environment named by DELPHIVER (Delphi 5.0 when absent
// or unknown). Nothing happens when that file is missing or is a folder,
// unless a run that was ended while it stored the file left beside it one of
// the texts it claimed (uninstall/help_claims.h): the run goes on from that
// text. The store's temporary files that runs left beside the file go.
// Empty entries are passed over. A contents file that cannot be loaded or
// stored ends the phase with its error; entries removed before stay removed,
// and INSTALLEDHELPS is left holding the rest (uninstall/list_to_do.h), so
// that the next run goes on with them.
void RemoveInstalledHelps();

}  // namespace uninstall
