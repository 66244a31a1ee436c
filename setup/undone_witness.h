// The trace that a removal entry leaves and that an installer renews when it
// installs the product again, kept as the witness of a done mark
// (setup/done_mark.h): the file's shared-use counter for FILES, the contents
// file's line count for INSTALLEDHELPS. An installer that writes the
// record's values unchanged leaves the record key as it was (the registry
// skips a write of the data a value holds), but it counts each file again
// and adds its help lines again. None of these raises.
#pragma once
#include <cstdint>
#include <string>

namespace setup {

constexpr std::uint32_t kNoCounterWitness = 0xFFFFFFFF;  // no key or no counter
constexpr std::uint32_t kUnreadableWitness = 0xFFFFFFFE;

// The counter of path as it is now: its 32 bits, kNoCounterWitness, or
// kUnreadableWitness for a counter that is no number.
std::uint32_t CounterWitness(const std::string& path);

// The counter as ReleaseSharedFile left it, from its result: 0 is a removed
// counter, any other the count it wrote.
std::uint32_t ReleasedCounterWitness(int released);

// The contents file's number of lines now (as a line list loads it), or
// kUnreadableWitness.
std::uint32_t ContentsWitness(const std::string& path);

}  // namespace setup
