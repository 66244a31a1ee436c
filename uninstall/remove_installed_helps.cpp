#include "uninstall/remove_installed_helps.h"

#include "environments/environment_table.h"
#include "environments/help_contents.h"
#include "environments/help_folders.h"
#include "platform/interrupted_store.h"
#include "platform/line_list.h"
#include "setup/path_helpers.h"
#include "setup/uninstall_record.h"
#include "uninstall/help_claims.h"
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
  // INSTALLEDHELPS holds what is left to do: an entry whose line a run
  // removed would take the next line of that target with it, another
  // product's.
  ListToDo toDo(UninstallKeyName(), "INSTALLEDHELPS", text, entries.LineCount(), nullptr);
  if (!setup::FileIsPresent(contents) && !TakeBackClaimedText(contents, toDo.Claimed()))
    return LogHelpsKept(contents);
  platform::DeleteLeftTemporaryFiles(contents);
  // Each entry loads the file anew into this list (the claim's load serves
  // the stretch's first); only its memory is carried from entry to entry.
  platform::LineList lines;
  SettleEarlierHelps(entries, contents, lines, toDo);
  LogEntriesDoneBefore("INSTALLEDHELPS", toDo.Done(), entries.LineCount());
  while (toDo.Done() < entries.LineCount()) {
    const std::vector<EntryState> texts = ClaimHelps(entries, toDo.Done(), contents, lines);
    toDo.Claim(texts);
    for (std::size_t k = 0; k + 1 < texts.size(); ++k) {
      const int index = toDo.Done();
      const std::string_view entry = entries.LineAt(index);
      // The entry counts once the new text has the name: a failure after
      // that (the file's rights not put on) leaves it done.
      const auto named = [&toDo] { toDo.EntryDone(); };
      // An empty entry names the first line without a target: a line of the
      // environment's own, never one that the installer added.
      bool removed = false;
      if (!entry.empty()) {
        removed = k == 0 ? environments::RemoveLoadedEntry(entry, contents, lines, named)
                         : environments::RemoveContentsEntry(entry, contents, lines, named);
      }
      LogHelpOutcome(entry, removed);
      if (toDo.Done() == index) toDo.EntryDone();
    }
  }
}

}  // namespace uninstall
