// The top level of the program: one failure box and exit code 1 for a failure
// that reaches it; the runtime-error box and 217 outside it.
#pragma once
#include <string>

#include "platform/errors.h"

namespace platform {

// The text of the failure box for error raised at location: at most 1,024
// characters, anything beyond cut off.
std::string FailureText(const Exception& error, const void* location);

// Shows the failure box (caption "Application Error", MB_OK | MB_ICONERROR |
// MB_TASKMODAL, no owner), and writes its text to the run's log when there
// is one (platform/run_log.h); in a run without a box, the log alone gets it.
// Builds its text in fixed buffers, so that a lack of memory can itself be
// reported. Returns when the user has closed the box.
void ReportFailure(const Exception& error, const void* location) noexcept;

// Whether a failure shows its box (the default); a run that no person
// watches (a quiet run) shows none, and the run's log holds the text.
void ShowFailureBox(bool shown) noexcept;

// The program's terminate path, for a failure with no handler in place
// (during start-up, in shutdown, or one that escaped a destructor): the
// runtime-error box, then exit code 217.
[[noreturn]] void TerminateProgram() noexcept;

// Runs entry with failure reporting in place; returns the exit code: what
// entry returns, 1 after a reported failure (the run's log, if any, then
// ends with a line saying so). An exception that is not one of the typed
// errors is reported as the out-of-memory error.
int RunProgram(int (*entry)()) noexcept;

}  // namespace platform
