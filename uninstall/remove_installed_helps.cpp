#include "uninstall/remove_installed_helps.h"

#include "environments/environment_table.h"
#include "environments/help_contents.h"
#include "environments/help_folders.h"
#include "platform/line_list.h"
#include "setup/path_helpers.h"
#include "setup/uninstall_record.h"
#include "uninstall/list_to_do.h"
#include "uninstall/uninstall_log.h"
#include "uninstall/uninstall_run.h"

namespace uninstall {

void RemoveInstalledHelps() {
  platform::LineList entries;
  const std::string text = setup::ReadUninstallValue(UninstallKeyName(), "INSTALLEDHELPS");
  entries.AssignText(text);
  const int environment =
      environments::EnvironmentIndex(setup::ReadUninstallValue(UninstallKeyName(), "DELPHIVER"));
  const std::string contents = environments::EnvironmentContentsFile(environment);
  if (!setup::FileIsPresent(contents)) return LogHelpsKept(contents);
  // INSTALLEDHELPS holds what is left to do: an entry whose line a run
  // removed would take the next line of that target with it, another
  // product's.
  ListToDo toDo(UninstallKeyName(), "INSTALLEDHELPS", text, entries.LineCount());
  LogEntriesDoneBefore("INSTALLEDHELPS", toDo.Done(), entries.LineCount());
  // Each entry loads the file anew into this list; only its memory is
  // carried from entry to entry.
  platform::LineList lines;
  for (int i = toDo.Done(); i < entries.LineCount(); ++i) {
    const std::string_view entry = entries.LineAt(i);
    // An empty entry names the first line without a target: a line of the
    // environment's own, never one that the installer added.
    const bool removed = !entry.empty() && environments::RemoveContentsEntry(entry, contents, lines);
    LogHelpOutcome(entry, removed);
    toDo.EntryDone();
  }
}

}  // namespace uninstall
