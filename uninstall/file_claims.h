// The FILES phase's claims (uninstall/list_to_do.h): each entry with its
// shared-use counter's state before the entry releases it.
#pragma once
#include <vector>

#include "platform/line_list.h"
#include "uninstall/done_count.h"
#include "uninstall/list_to_do.h"

namespace uninstall {

// The counter of the file at path as a claim holds it. Never raises.
EntryState CounterStateOf(const std::string& path);

// The stretch of files from toDo.Done() on, each with its counter's state:
// at most kClaimStretch entries, ending before a file that it names already
// (the second entry's state before would be the first's after), as
// CaselessCompareLocale compares names. Raises nothing but a lack of memory.
std::vector<EntryState> ClaimFiles(const platform::LineList& files, int start);

// Settles what an earlier run left in doubt, before the phase goes on:
// of the stretch it claimed, each entry by its counter now (a release that
// landed is not done again; where it took the counter away, the file is
// deleted if it is still there, as the release's run would have deleted
// it); of a count that a run knowing no claims left, the entry after it is
// kept. Raises nothing but a lack of memory.
void SettleEarlierFiles(const platform::LineList& files, ListToDo& toDo);

}  // namespace uninstall
