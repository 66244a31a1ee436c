#include "report/record_notes.h"

#include <windows.h>

#include <cstring>
#include <optional>

#include "environments/environment_table.h"
#include "environments/help_folders.h"
#include "platform/errors.h"
#include "platform/line_list.h"
#include "report/claim_notes.h"
#include "setup/path_helpers.h"
#include "setup/uninstall_record.h"
#include "uninstall/command_words.h"
#include "uninstall/done_count.h"
#include "uninstall/list_to_do.h"

namespace report {
namespace {

// The bytes of the contents file that the record's DELPHIVER names, for the
// note on a help claim; none where its RootDir or the file cannot be read
// (the report's contents item says why).
std::optional<std::string> ContentsBytes(HKEY record) {
  std::string path;
  try {
    path = environments::EnvironmentContentsFile(
        environments::EnvironmentIndex(setup::ReadValueText(record, "DELPHIVER")));
  } catch (const platform::Exception&) {
    return std::nullopt;
  }
  std::string bytes;
  if (!setup::FileIsPresent(path) || !platform::ReadWholeFile(path, FILE_SHARE_READ | FILE_SHARE_WRITE, bytes))
    return std::nullopt;
  return bytes;
}

// What the list listName holds after an earlier run, by its count as a run
// takes it (uninstall/done_count.h); nothing where the record keeps none.
std::string EarlierRunNote(HKEY record, const char* listName, const char* what) {
  uninstall::DoneClaim stored;
  if (!uninstall::ReadDoneClaim(record, listName, stored)) return {};
  const std::string text = setup::ReadValueText(record, listName);
  platform::LineList list;
  list.AssignText(text);
  const int done = uninstall::EntriesDone(stored.count, text, list.LineCount());
  const std::string lines =
      std::to_string(list.LineCount()) + " " + listName + (list.LineCount() == 1 ? " entry" : " entries");
  if (done < 0)
    return "Earlier run: its " + uninstall::DoneValueName(listName) + " counts in another " + listName +
           " list (written anew since); a run does every entry";
  const std::optional<std::string> contents =
      std::strcmp(listName, "INSTALLEDHELPS") == 0 && stored.claimed ? ContentsBytes(record) : std::nullopt;
  const std::string doubt = DoubtNote(listName, list, done, stored, contents ? &*contents : nullptr);
  if (done == 0 && doubt.empty()) return "Earlier run: the record lists what is left to do, " + lines;
  const std::string head = "Earlier run: " + std::to_string(done) + " of the " + lines + " done";
  if (done == 0) return head + doubt;
  return head + ", the last \"" + std::string(list.LineAt(done - 1)) + "\" (" + what + ")" +
         (doubt.empty() ? "; a run goes on with the next" : doubt);
}

bool HasBlankBeforeExe(const std::string& command) {
  std::string folded = command;
  for (char& c : folded)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  const std::size_t exe = folded.find(".exe");
  return exe != std::string::npos && command.find(' ') < exe;
}

// An unquoted program path with a blank: Windows passes the rest of the path
// after its first blank as the uninstaller's first argument.
std::string UnquotedProgramWarning(const std::string& command) {
  const std::size_t start = command.find_first_not_of(" \t");
  if (start == std::string::npos || command[start] == '"' || !HasBlankBeforeExe(command.substr(start))) return {};
  return "Warning: UninstallString's program path holds a blank but no quotes; the uninstaller would take \"" +
         uninstall::WordOfCommandLine(command.c_str(), 1) + "\" as its key name";
}

}  // namespace

std::vector<std::string> RecordNotes(const std::string& keyName) {
  LONG opened = 0;
  const platform::UniqueRegKey record = setup::OpenExistingRecord(keyName, &opened);
  std::vector<std::string> notes;
  if (!record.IsValid()) return notes;
  for (const std::string& note :
       {EarlierRunNote(record.Get(), "FILES", "counters released, files deleted at 0"),
        EarlierRunNote(record.Get(), "INSTALLEDHELPS", "their contents lines removed"),
        UnquotedProgramWarning(setup::ReadValueText(record.Get(), "UninstallString"))})
    if (!note.empty()) notes.push_back(note);
  return notes;
}

}  // namespace report
