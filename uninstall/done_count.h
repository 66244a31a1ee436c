// How many entries of a list of the uninstall record ("FILES",
// "INSTALLEDHELPS") a run has done, kept in the record beside the list
// ("FILESDONE") while a phase works through it; and the one rule by which
// runs and the installation report take such a count: it counts only in the
// very text that it was written for.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace uninstall {

// 12 bytes of REG_BINARY, each field least significant byte first. The
// length tells a list that a run cut from every longer list of which it was
// the end, whatever the hash.
struct DoneCount {
  std::uint32_t count = 0;   // entries done, from the text's first line on
  std::uint32_t length = 0;  // the text's length in bytes
  std::uint32_t hash = 0;    // FNV-1a over the text's bytes
};

constexpr std::size_t kDoneCountSize = 12;

// What an entry's target showed when a run claimed it, before anything of
// the entry was done: a shared-use counter (uninstall/file_claims.h), or the
// help contents file's text (uninstall/help_claims.h). Two 32-bit words whose
// meaning the phase gives.
struct EntryState {
  std::uint32_t kind = 0;
  std::uint32_t value = 0;
  bool operator==(const EntryState& other) const { return kind == other.kind && value == other.value; }
  bool operator!=(const EntryState& other) const { return !(*this == other); }
};

// A count with the stretch of entries after it that a run claimed, each
// with its state: the value's second form, the count's 12 bytes followed by
// kClaimVersion, the number of states and the states (8 bytes each), all
// least significant byte first. A value of 12 bytes is a count of the first
// form, which runs that knew no claims wrote after each entry's effect.
struct DoneClaim {
  DoneCount count;
  std::vector<EntryState> states;
  bool claimed = false;  // the second form, even with no states
};

constexpr std::uint32_t kClaimVersion = 2;

// "FILES" gives "FILESDONE".
std::string DoneValueName(const std::string& listName);

// A count of entries done in the text of that length. Allocates nothing.
DoneCount CountIn(const char* text, std::size_t length, std::uint32_t count) noexcept;

void EncodeDoneCount(const DoneCount& count, unsigned char (&bytes)[kDoneCountSize]) noexcept;

// False, count untouched, unless size is exactly kDoneCountSize.
bool DecodeDoneCount(const unsigned char* data, std::size_t size, DoneCount& count) noexcept;

// The value's bytes of the second form.
std::vector<unsigned char> EncodeDoneClaim(const DoneClaim& claim);

// Either form; false, claim untouched, for bytes of neither (a wrong size,
// another version, a number of states that the size does not hold).
bool DecodeDoneClaim(const unsigned char* data, std::size_t size, DoneClaim& claim);

// The entries of a list's text of lineCount lines that a stored count says
// are done: its count, at most lineCount, where it was written for this
// very text; -1 where it was written for another (the list was written anew
// since: by an installer, in full, or by a run, holding what it left to do).
int EntriesDone(const DoneCount& stored, const std::string& text, int lineCount) noexcept;

}  // namespace uninstall
