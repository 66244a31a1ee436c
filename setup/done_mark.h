// How far a removal phase got through one list of the uninstall record in a
// run that ended early: kept in the record beside the list, so that a second
// run does not release a counter or remove a help line a second time.
#pragma once
#include <cstdint>
#include <string>

namespace setup {

// The mark of list value L is the value "LDONE" ("FILESDONE",
// "INSTALLEDHELPSDONE"): 8 bytes of REG_BINARY, the count of entries done and
// the fingerprint of the list's text, each 32 bits, least significant byte
// first. A mark whose fingerprint is not that of the list as it now stands
// belongs to another list (an installer rewrote it) and counts for nothing.
struct DoneMark {
  std::uint32_t count = 0;
  std::uint32_t fingerprint = 0;
};

constexpr std::size_t kDoneMarkSize = 8;

std::string DoneValueName(const std::string& listName);

// FNV-1a over the bytes of the list value's text.
std::uint32_t ListFingerprint(const std::string& text);

void EncodeDoneMark(const DoneMark& mark, unsigned char (&bytes)[kDoneMarkSize]);

// False, mark untouched, unless data is exactly 8 bytes.
bool DecodeDoneMark(const std::string& data, DoneMark& mark);

// Entries of a list of lineCount lines with that fingerprint that a mark says
// are done: 0 for a mark of another list, at most lineCount.
int EntriesDone(const DoneMark& mark, std::uint32_t fingerprint, int lineCount);

}  // namespace setup
