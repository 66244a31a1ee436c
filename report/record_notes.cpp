#include "report/record_notes.h"

#include <windows.h>

#include "environments/environment_table.h"
#include "environments/help_folders.h"
#include "platform/errors.h"
#include "platform/line_list.h"
#include "setup/progress_marks.h"
#include "setup/undone_witness.h"
#include "setup/uninstall_record.h"
#include "uninstall/command_words.h"

namespace report {
namespace {

// The contents file of the record's DELPHIVER; empty where its RootDir
// cannot be read (the run would fail on it).
std::string ContentsFile(HKEY record) {
  const int environment = environments::EnvironmentIndex(setup::ReadValueText(record, "DELPHIVER"));
  try {
    return environments::EnvironmentContentsFile(environment);
  } catch (const platform::Exception&) {
    return {};
  }
}

// The mark judged as a run judges it (setup/done_mark.h), with the traces
// of setup/undone_witness.h.
std::string EarlierRunNote(HKEY record, const std::string& keyName, const char* listName, const char* what) {
  setup::DoneMark mark;
  if (!setup::ReadDoneMark(keyName, listName, mark)) return {};
  const std::string text = setup::ReadValueText(record, listName);
  platform::LineList list;
  list.AssignText(text);
  setup::DoneMark now;
  now.fingerprint = setup::ListFingerprint(text);
  now.recordTime = setup::RecordWriteTime(record);
  const bool files = std::string(listName) == "FILES";
  const setup::MarkStanding standing = setup::JudgeDoneMark(mark, now, list.LineCount(), [&](std::uint32_t index) {
    return files ? setup::CounterWitness(std::string(list.LineAt(static_cast<int>(index))))
                 : setup::ContentsWitness(ContentsFile(record));
  });
  if (standing != setup::MarkStanding::Counts)
    return "Earlier run: its " + setup::DoneValueName(listName) + " is of " +
           (standing == setup::MarkStanding::OtherList
                ? "another " + std::string(listName) + " list (rewritten since)"
                : std::string("an earlier installation (the product was installed again since)")) +
           "; a run does every entry";
  const int done = setup::EntriesDone(mark, standing, list.LineCount());
  std::string note = "Earlier run: " + std::to_string(done) + " of " + std::to_string(list.LineCount()) + " " +
                     listName + " entries done";
  if (done > 0) note += ", the last \"" + std::string(list.LineAt(done - 1)) + "\" (" + what + "); a run goes on with the next";
  return note;
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
       {EarlierRunNote(record.Get(), keyName, "FILES", "counters released, files deleted at 0"),
        EarlierRunNote(record.Get(), keyName, "INSTALLEDHELPS", "their contents lines removed"),
        UnquotedProgramWarning(setup::ReadValueText(record.Get(), "UninstallString"))})
    if (!note.empty()) notes.push_back(note);
  return notes;
}

}  // namespace report
