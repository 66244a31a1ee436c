// Notes for the head of an installation report on what the record itself
// says beyond its items: how far an earlier run that ended early got, and an
// UninstallString that would start the uninstaller with the wrong key name.
#pragma once
#include <string>
#include <vector>

namespace report {

// "Earlier run: ..." for each list whose done mark (in the record's progress
// key, setup/progress_marks.h) an earlier run left, saying whether it counts
// for the installation as it stands, and
// "Warning: ..." when the UninstallString's program path holds a blank but
// no quotes; nothing for a missing record. Changes nothing.
std::vector<std::string> RecordNotes(const std::string& keyName);

}  // namespace report
