// How far a removal phase got through one list of the uninstall record in a
// run that ended early, so that a second run does not release a counter or
// remove a help line a second time; and whether such a mark still counts.
#pragma once
#include <cstdint>
#include <string>

namespace setup {

// The mark of list value L is the value "LDONE" ("FILESDONE",
// "INSTALLEDHELPSDONE") of the record's progress key
// (setup/progress_marks.h): 16 bytes of REG_BINARY, the count of entries
// done, the fingerprint of the list's text (32 bits each) and the record
// key's last-write time when the run began (64 bits), each least
// significant byte first.
struct DoneMark {
  std::uint32_t count = 0;
  std::uint32_t fingerprint = 0;
  std::uint64_t recordTime = 0;  // 0 where the system keeps no such time
};

constexpr std::size_t kDoneMarkSize = 16;

std::string DoneValueName(const std::string& listName);

// FNV-1a over the bytes of the list value's text.
std::uint32_t ListFingerprint(const std::string& text);

void EncodeDoneMark(const DoneMark& mark, unsigned char (&bytes)[kDoneMarkSize]);

// False, mark untouched, unless data is exactly 16 bytes.
bool DecodeDoneMark(const std::string& data, DoneMark& mark);

enum class MarkStanding {
  Counts,
  EarlierInstallation,  // the record was written since: the product was installed again
  OtherList,            // the list's text is another one
};

// How a stored mark stands against the record and list as they are now
// (now's fingerprint and recordTime; its count is not looked at). The record
// keeps its last-write time while only runs read it, so another time means
// that an installer wrote it again. Where the system reports no time (0 then
// and when the mark was written) the fingerprint alone decides.
MarkStanding JudgeDoneMark(const DoneMark& stored, const DoneMark& now);

// Entries of a list of lineCount lines that a stored mark says are done:
// 0 unless the mark counts (JudgeDoneMark), at most lineCount.
int EntriesDone(const DoneMark& stored, const DoneMark& now, int lineCount);

}  // namespace setup
