// A list of the uninstall record as the run's to-do list. While a phase works
// through FILES or INSTALLEDHELPS, the record's value beside it (FILESDONE,
// INSTALLEDHELPSDONE: uninstall/done_count.h) claims a stretch of entries
// ahead, with what each entry's target showed before anything of it was
// done, and is flushed before any of them is done; when the phase is left,
// by its end or by a failure, the list's value is written anew holding only
// the entries not yet done. So a run after a failure goes on where that one
// stopped; a run after one that was ended from outside, or cut by a power
// loss, settles the claimed stretch from what each target shows now (done,
// to do, or kept where another installation changed it meanwhile) and never
// does an entry twice; and a product installed again (its installer writes
// the lists in full) is undone whole, whatever other installations did
// meanwhile: the record is this installation's alone.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "platform/unique_handle.h"
#include "uninstall/done_count.h"

namespace uninstall {

// Entries claimed at most at once: a power loss keeps at most so many.
constexpr int kClaimStretch = 64;

class ListToDo {
 public:
  // The list listName of the record keyName, as the phase read it: text, of
  // lineCount lines, which must outlive the object. Done() is then the count
  // that the record keeps for this very text, else 0; a count kept for
  // another text is deleted at once, so that it never counts later. A record
  // that cannot be opened with full access (it is never created here) keeps
  // nothing. effectsHive: the hive that the entries' effects write
  // (HKEY_CURRENT_USER for the counters; nullptr where each effect reaches
  // the disk by itself), flushed before each claim and before the list is
  // written anew, so that no claim or shorter list reaches the disk ahead
  // of the effects it says are done. Raises nothing but a lack of memory.
  ListToDo(const std::string& keyName, const char* listName, const std::string& text, int lineCount,
           HKEY effectsHive);
  // Where entries are done or settled, or a claim was written: the effects' hive
  // flushed, the list's value written anew from the first entry not done
  // (an empty text when all are), flushed, then the count of none done in
  // it. A list that cannot be written keeps a count of the entries done,
  // with nothing claimed. Needs no memory and never raises, as it runs
  // while a failure leaves the phase.
  ~ListToDo();
  ListToDo(const ListToDo&) = delete;
  ListToDo& operator=(const ListToDo&) = delete;

  // Entries of the list done (or settled), by this run or an earlier one:
  // the phase goes on with the entry of that index.
  int Done() const { return static_cast<int>(count_.count); }
  // The states that an earlier run claimed for the entries from Done() on:
  // it may have been stopped anywhere in them. Empty where it claimed none.
  const std::vector<EntryState>& Claimed() const { return claimed_; }
  // A count that a run which knew no claims left (written after each
  // entry's effect) with entries done: the entry at Done() may be done too.
  bool LegacyInDoubt() const { return legacyInDoubt_; }
  // Claims the entries from Done() on, with the states that the phase gives
  // them: written to the record and flushed (after the effects' hive)
  // before any of them is done. A claim that cannot be written is passed
  // over, as any clean-up: a record that cannot be written keeps no
  // progress at all. Raises nothing but a lack of memory.
  void Claim(const std::vector<EntryState>& states);
  // The entry at index Done() is done, or settled without being done; kept
  // in memory, as the claim covers it on the disk.
  void EntryDone() noexcept { ++count_.count; }

 private:
  // The count in the second form with nothing claimed: every entry before
  // it done, none after it begun.
  void WriteExactCount() const noexcept;
  void FlushEffects() noexcept;

  platform::UniqueRegKey record_;
  const char* listName_;
  std::string doneName_;
  const std::string& text_;
  DoneCount count_;  // of text_
  std::vector<EntryState> claimed_;
  bool legacyInDoubt_ = false;
  HKEY effectsHive_;
  bool wroteClaim_ = false;  // by this run
  std::uint32_t startCount_ = 0;  // count_.count as the record kept it
  std::uint32_t flushedAt_ = 0;  // count_.count when the effects' hive was last flushed
};

// The count of the list listName that the open record keeps, in either
// form; false, claim untouched, where there is none or the value is no
// count. Changes nothing.
bool ReadDoneClaim(HKEY record, const char* listName, DoneClaim& claim);

// Deletes the counts of both lists from the record keyName where it still
// exists (a subkey keeps it on Windows NT), so that a complete run leaves
// none. Silent on every failure.
void DeleteDoneCounts(const std::string& keyName);

}  // namespace uninstall
