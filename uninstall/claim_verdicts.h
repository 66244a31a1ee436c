// How a run tells, entry by entry, what became of a stretch that an earlier
// run claimed (uninstall/list_to_do.h) and was stopped in: from the state
// that the claim wrote before anything of the entry was done and the state
// that its target shows now.
#pragma once
#include <vector>

#include "uninstall/done_count.h"

namespace uninstall {

enum class Verdict {
  ToDo,  // the target shows the state before: nothing of the entry landed
  Done,  // it shows the state after the entry
  Kept,  // it shows neither (another installation changed it meanwhile): the entry is not done again
};

// A shared-use counter's state: none, a number, or a value that a release
// refuses (the run raises there again).
constexpr std::uint32_t kNoCounter = 0;
constexpr std::uint32_t kCounter = 1;
constexpr std::uint32_t kUnreadableCounter = 2;

// The counter after one release: 1 goes, others go one lower (wrapping as
// the stored 32-bit count does), none and unreadable stay.
EntryState CounterAfterRelease(const EntryState& before) noexcept;

// A file entry. A counter that showed none and still does is ToDo (done
// again, the entry releases nothing), so that it never settles an entry
// before it.
Verdict CounterVerdict(const EntryState& before, const EntryState& now) noexcept;

// The number of entries of the stretch that count as settled: those up to
// the last that is not ToDo, so that the run goes on with entries of which
// nothing landed only. The ToDo entries before it (which only another
// installation's changes can produce) become Kept.
int SettledPrefix(std::vector<Verdict>& verdicts) noexcept;

// The help phase's claim holds the contents file's text (CountIn: length
// and hash) before its first entry and after each: the entries done are as
// many as the last text that the file shows now is far in; -1 where it
// shows none of them.
int TextPrefix(const std::vector<EntryState>& texts, const EntryState& now) noexcept;

}  // namespace uninstall
