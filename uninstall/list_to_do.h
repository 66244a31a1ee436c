// A list of the uninstall record as the run's to-do list. While a phase works
// through FILES or INSTALLEDHELPS, the record's value beside it (FILESDONE,
// INSTALLEDHELPSDONE: uninstall/done_count.h) counts the entries done, written
// after each; when the phase is left, by its end or by a failure, the list's
// value is written anew holding only the entries not yet done. So a run after
// a failure goes on where that one stopped, a run after one that was ended
// from outside redoes at most the entry that it was in, and a product
// installed again (its installer writes the lists in full) is undone whole,
// whatever other installations did meanwhile: the record is this
// installation's alone.
#pragma once
#include <windows.h>

#include <string>

#include "platform/unique_handle.h"
#include "uninstall/done_count.h"

namespace uninstall {

class ListToDo {
 public:
  // The list listName of the record keyName, as the phase read it: text, of
  // lineCount lines, which must outlive the object. Done() is then the count
  // that the record keeps for this very text, else 0; a count kept for
  // another text is deleted at once, so that it never counts later. A record
  // that cannot be opened with full access (it is never created here) keeps
  // nothing. Raises nothing but a lack of memory.
  ListToDo(const std::string& keyName, const char* listName, const std::string& text, int lineCount);
  // Where entries are done: the list's value written anew from the first
  // entry not done (an empty text when all are), flushed, then the count of
  // none done in it. A list that cannot be written keeps its count, which
  // still counts in it. Needs no memory and never raises, as it runs while a
  // failure leaves the phase.
  ~ListToDo();
  ListToDo(const ListToDo&) = delete;
  ListToDo& operator=(const ListToDo&) = delete;

  // Entries of the list done, by this run or an earlier one that was ended
  // from outside: the phase goes on with the entry of that index.
  int Done() const { return static_cast<int>(count_.count); }
  // The entry at index Done() is done; the count is written at once. A count
  // that cannot be written is passed over, as any clean-up.
  void EntryDone() noexcept;

 private:
  void WriteCount(const DoneCount& count) const noexcept;

  platform::UniqueRegKey record_;
  const char* listName_;
  std::string doneName_;
  const std::string& text_;
  DoneCount count_;  // of text_
};

// The count of the list listName that the open record keeps; false, count
// untouched, where there is none or the value is no count. Changes nothing.
bool ReadDoneCount(HKEY record, const char* listName, DoneCount& count);

// Deletes the counts of both lists from the record keyName where it still
// exists (a subkey keeps it on Windows NT), so that a complete run leaves
// none. Silent on every failure.
void DeleteDoneCounts(const std::string& keyName);

}  // namespace uninstall
