// The progress of one removal phase through a list of the uninstall record,
// kept as the list's done mark in the record's progress key
// (setup/progress_marks.h): read when the phase starts, written after each
// entry and once more when the phase is left, by its end or by a failure.
// A complete run deletes it (DeleteDoneMarks).
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "platform/unique_handle.h"
#include "setup/done_mark.h"

namespace setup {

class PhaseProgress {
 public:
  // The trace of the entry of that index as it is now (setup/undone_witness.h).
  using PresentWitness = std::function<std::uint32_t(std::uint32_t index)>;

  // Takes the mark of the list listName of the record keyName, whose text
  // is listText of lineCount lines: Done() is then what an earlier run did
  // of this very list in this very installation (JudgeDoneMark), else 0.
  // Never raises beyond a lack of memory; a record that cannot be opened
  // (it is never created here) keeps no marks.
  PhaseProgress(const std::string& keyName, const std::string& listName, const std::string& listText, int lineCount,
                const PresentWitness& presentWitness);
  // Writes the mark if it changed since its last write. Needs no memory and
  // never raises, as it runs while a failure leaves the phase.
  ~PhaseProgress();
  PhaseProgress(const PhaseProgress&) = delete;
  PhaseProgress& operator=(const PhaseProgress&) = delete;

  // Entries of the list done, by this run or an earlier one: the phase goes
  // on with the entry of that index.
  int Done() const { return static_cast<int>(mark_.count); }
  // The entry at index Done() is done; its mark is written at once (the
  // progress key made at the first write), so that even a run that is
  // killed redoes at most that one entry. A mark that cannot be written is
  // passed over, as any clean-up.
  void EntryDone();
  // The same for an entry that left a trace that an installer renews: the
  // mark keeps it as its witness.
  void EntryDone(std::uint32_t witness);

 private:
  void Write() noexcept;

  std::string keyPath_;  // the progress key; empty: no marks kept
  platform::UniqueRegKey key_;
  std::string valueName_;
  DoneMark mark_;
  std::uint32_t written_;  // the count that the progress key holds
};

}  // namespace setup
