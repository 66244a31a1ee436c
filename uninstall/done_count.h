// How many entries of a list of the uninstall record ("FILES",
// "INSTALLEDHELPS") a run has done, kept in the record beside the list
// ("FILESDONE") while a phase works through it; and the one rule by which
// runs and the installation report take such a count: it counts only in the
// very text that it was written for.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

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

// "FILES" gives "FILESDONE".
std::string DoneValueName(const std::string& listName);

// A count of entries done in the text of that length. Allocates nothing.
DoneCount CountIn(const char* text, std::size_t length, std::uint32_t count) noexcept;

void EncodeDoneCount(const DoneCount& count, unsigned char (&bytes)[kDoneCountSize]) noexcept;

// False, count untouched, unless size is exactly kDoneCountSize.
bool DecodeDoneCount(const unsigned char* data, std::size_t size, DoneCount& count) noexcept;

// The entries of a list's text of lineCount lines that a stored count says
// are done: its count, at most lineCount, where it was written for this
// very text; -1 where it was written for another (the list was written anew
// since: by an installer, in full, or by a run, holding what it left to do).
int EntriesDone(const DoneCount& stored, const std::string& text, int lineCount) noexcept;

}  // namespace uninstall
