// The progress of one removal phase through a list of the uninstall record,
// kept in the record as the list's done mark (setup/done_mark.h): read when
// the phase starts, written after each entry and once more when the phase is
// left, by its end or by a failure; it goes with the record.
#pragma once
#include <windows.h>

#include <string>

#include "platform/unique_handle.h"
#include "setup/done_mark.h"

namespace setup {

// The done mark of the list listName in an open record; false, mark
// untouched, when it is missing or not a mark.
bool ReadDoneMark(HKEY record, const std::string& listName, DoneMark& mark);

class PhaseProgress {
 public:
  // Opens the record keyName (never creates it) and takes the mark of the
  // list listName, whose text is listText of lineCount lines: Done() is then
  // what an earlier run did of this very list, else 0. Never raises beyond
  // a lack of memory; a record that cannot be opened keeps no marks.
  PhaseProgress(const std::string& keyName, const std::string& listName, const std::string& listText, int lineCount);
  // Writes the mark if it changed since its last write. Needs no memory and
  // never raises, as it runs while a failure leaves the phase.
  ~PhaseProgress();
  PhaseProgress(const PhaseProgress&) = delete;
  PhaseProgress& operator=(const PhaseProgress&) = delete;

  // Entries of the list done, by this run or an earlier one: the phase goes
  // on with the entry of that index.
  int Done() const { return static_cast<int>(mark_.count); }
  // The entry at index Done() is done; its mark reaches the record at once,
  // so that even a run that is killed redoes at most that one entry. A mark
  // that cannot be written is passed over, as any clean-up.
  void EntryDone();

 private:
  void Write() noexcept;

  platform::UniqueRegKey record_;
  std::string valueName_;
  DoneMark mark_;
  std::uint32_t written_;  // the count that the record holds
};

}  // namespace setup
