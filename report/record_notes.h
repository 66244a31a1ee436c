// Notes for the head of an installation report on what the record itself
// says beyond its items: what an earlier run that ended early left, and an
// UninstallString that would start the uninstaller with the wrong key name.
#pragma once
#include <string>
#include <vector>

namespace report {

// "Earlier run: ..." for each list of which an earlier run left a count of
// entries done (uninstall/list_to_do.h): what the list still holds, and
// whether the count counts in it, and
// "Warning: ..." when the UninstallString's program path holds a blank but
// no quotes; nothing for a missing record. Changes nothing.
std::vector<std::string> RecordNotes(const std::string& keyName);

}  // namespace report
