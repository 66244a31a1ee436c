#include "uninstall/quiet_run.h"

#include <windows.h>

#include "platform/private_file_security.h"
#include "platform/run_log.h"
#include "setup/uninstall_record.h"
#include "uninstall/uninstall_run.h"

namespace uninstall {
namespace {

using platform::DecimalText;
using platform::LogLine;

}  // namespace

void StartRunLog(const RunSwitches& switches) {
  if (!switches.log) return;
  // Another user must not read, change or swap the log of a run with
  // administrator rights: the file (and at the default place its folder) is
  // made new, for the run's account, SYSTEM and the Administrators alone.
  platform::PrivateFileSecurity security;
  if (switches.logPath.empty())
    platform::OpenDefaultRunLog(security.Attributes());
  else
    platform::OpenRunLog(switches.logPath, security.Attributes());
  const platform::LocalTimeText now;
  LogLine({"Quenlar uninstall of \"", UninstallKeyName(), switches.quiet ? "\", quiet run, " : "\", interactive run, ",
           now.Date(), " ", now.Time()});
  LogLine({"Program file: ", CommandArgument(0)});
}

int RunQuietUninstall() {
  LONG opened = ERROR_SUCCESS;
  const bool missing = !setup::OpenExistingRecord(UninstallKeyName(), &opened).IsValid() && opened == ERROR_FILE_NOT_FOUND;
  if (missing)
    LogLine({"The uninstall record does not exist: the phases find nothing to do, the exit code is ",
             DecimalText(kRecordMissingExitCode).View()});
  else if (opened != ERROR_SUCCESS)
    LogLine({"The uninstall record cannot be opened with full access (system code ",
             DecimalText(static_cast<long>(opened)).View(), "): every list reads as empty"});
  // What the run after Yes does, also without a record: there, as there, the
  // program file goes unless it has a counter.
  RunUninstallPhases();
  const int exitCode = missing ? kRecordMissingExitCode : 0;
  LogLine({"Completed, exit code ", DecimalText(exitCode).View()});
  return exitCode;
}

}  // namespace uninstall
