// The run that a deployment tool starts with "/S" after the key name: the
// uninstall as after Yes, without confirmation, progress dialog or failure
// box, and its log.
#pragma once
#include "uninstall/run_switches.h"

namespace uninstall {

// The quiet run's exit code where the uninstall record does not exist when
// it starts: Windows Installer's ERROR_UNKNOWN_PRODUCT, which deployment
// tools read as "not installed". The run itself goes as after Yes: the
// phases find nothing, and the program file goes unless it has a counter.
constexpr int kRecordMissingExitCode = 1605;

// Opens the run's log where switches ask for one, at FILE or the default
// place (platform/run_log.h), private to the run's account, and writes its
// head: the key name, the kind of run, the time and the program file.
// Raises EInOutError when it cannot be made.
void StartRunLog(const RunSwitches& switches);

// The quiet run: the phases of RunUninstallPhases, then 0, or
// kRecordMissingExitCode when the record did not exist; a failure leaves it
// as it leaves the run after Yes.
int RunQuietUninstall();

}  // namespace uninstall
