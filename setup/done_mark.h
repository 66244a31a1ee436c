// How far a removal phase got through one list of the uninstall record in a
// run that ended early, so that a second run does not release a counter or
// remove a help line a second time; and whether such a mark still counts.
#pragma once
#include <cstdint>
#include <string>

namespace setup {

constexpr std::uint32_t kNoWitness = 0xFFFFFFFF;

// The mark of list value L is the value "LDONE" ("FILESDONE",
// "INSTALLEDHELPSDONE") of the record's progress key
// (setup/progress_marks.h): 24 bytes of REG_BINARY, each field least
// significant byte first.
struct DoneMark {
  std::uint32_t count = 0;        // entries done
  std::uint32_t fingerprint = 0;  // of the list's text
  std::uint64_t recordTime = 0;   // the record key's last-write time; 0 where the system keeps none
  // The last entry done that left a trace an installer renews (a counter,
  // a contents line: setup/undone_witness.h), and that trace as the run
  // left it; kNoWitness before such an entry.
  std::uint32_t witnessIndex = kNoWitness;
  std::uint32_t witness = 0;
};

constexpr std::size_t kDoneMarkSize = 24;

std::string DoneValueName(const std::string& listName);

// FNV-1a over the bytes of the list value's text.
std::uint32_t ListFingerprint(const std::string& text);

void EncodeDoneMark(const DoneMark& mark, unsigned char (&bytes)[kDoneMarkSize]);

// False, mark untouched, unless data is exactly 24 bytes.
bool DecodeDoneMark(const std::string& data, DoneMark& mark);

enum class MarkStanding {
  Counts,
  EarlierInstallation,  // the product was installed again since
  OtherList,            // the list's text is another one
};

// How a stored mark stands against the record and the list of lineCount
// lines as they are now (now's fingerprint and recordTime), the one rule by
// which runs and the installation report take marks:
// - another record time: an installer wrote the record since (only
//   installers write it); where the system keeps no time (0 both then and
//   now) this tells nothing;
// - another fingerprint: the list is another one;
// - the witness entry's trace is neither as the run left it nor one less
//   (a run killed after the next entry, before its mark; presentWitness(index)
//   gives the trace as it is now): an installer did that entry anew, even
//   one that wrote the record's values unchanged, which leaves the record's
//   time as it was.
template <typename PresentWitness>
MarkStanding JudgeDoneMark(const DoneMark& stored, const DoneMark& now, int lineCount, PresentWitness&& presentWitness) {
  if (stored.recordTime != now.recordTime) return MarkStanding::EarlierInstallation;
  if (stored.fingerprint != now.fingerprint) return MarkStanding::OtherList;
  if (stored.witnessIndex == kNoWitness) return MarkStanding::Counts;
  if (stored.witnessIndex >= stored.count || static_cast<std::int64_t>(stored.witnessIndex) >= lineCount)
    return MarkStanding::EarlierInstallation;
  const std::uint32_t present = presentWitness(stored.witnessIndex);
  return present == stored.witness || present + 1 == stored.witness ? MarkStanding::Counts
                                                                     : MarkStanding::EarlierInstallation;
}

// Entries of a list of lineCount lines that a stored mark of that standing
// says are done: 0 unless it counts, at most lineCount.
int EntriesDone(const DoneMark& stored, MarkStanding standing, int lineCount);

}  // namespace setup
