// The entry point's work and the fixed order of the uninstall.
#pragma once
#include <string>

namespace uninstall {

// Index 0: the running program's full path; n >= 1: the n-th word after the
// program's own word on the command line, or empty text.
std::string CommandArgument(int index);

// The uninstall key name of this run, set once at start from argument 1.
const std::string& UninstallKeyName();
void SetUninstallKeyName(const std::string& keyName);

// True in a quiet run ("/S" after the key name), set once at start: no
// confirmation, no progress dialog, no failure box.
bool QuietRun();
void SetQuietRun(bool quiet);

// Asks "Are you sure you want to completely remove the <key name>?"; true for Yes.
bool ConfirmUninstall();

// Runs the whole uninstall after confirmation; catches nothing.
void RunUninstall();

// The phases of the uninstall in their fixed order, as after Yes; catches
// nothing.
void RunUninstallPhases();

// The program's entry: first the DLL search kept to the system folder and the
// common controls initialised from there, then the refusal without
// argument, else the run's log where one is asked for (uninstall/quiet_run.h)
// and RunUninstall, or in a quiet run RunQuietUninstall. Returns the exit
// code: 0, or kRecordMissingExitCode of a quiet run.
int UninstallEntry();

}  // namespace uninstall
