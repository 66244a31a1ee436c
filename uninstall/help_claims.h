// The INSTALLEDHELPS phase's claims (uninstall/list_to_do.h): the contents
// file's text before the stretch's first entry and after each, worked out
// on a copy of the file's lines before any of them is removed.
#pragma once
#include <string>
#include <vector>

#include "platform/line_list.h"
#include "uninstall/done_count.h"
#include "uninstall/list_to_do.h"

namespace uninstall {

// The text of the lines as loaded from the file: its length and hash.
EntryState TextStateOf(const platform::LineList& lines);

// Loads the contents file into lines, for the stretch's first entry, and
// returns the claim of the entries from start: at most kClaimStretch, with
// one text more than entries. Raises EFOpenError "Cannot open file %s"
// where the file cannot be loaded, and a lack of memory.
std::vector<EntryState> ClaimHelps(const platform::LineList& entries, int start, const std::string& contents,
                                   platform::LineList& lines);

// The contents file missing after a run that claimed texts and was ended
// while it stored one (platform/interrupted_store.h): the text of the
// store's own temporary file beside it, where it is one of those texts, is
// the contents file again, so that SettleEarlierHelps goes on from it. Any
// of the texts will do: each is the one before plus an entry, all worked
// out from the same file, and the entries after it lead to the same end.
// False, nothing changed, where nothing was claimed or no file passes.
// Raises as platform::TakeBackInterruptedStore.
bool TakeBackClaimedText(const std::string& contents, const std::vector<EntryState>& texts);

// Settles the stretch that an earlier run claimed and was stopped in: the
// entries are done as far as the text that the file shows now; where it
// shows none of the claim's texts (another installation changed the file
// meanwhile), the whole stretch is kept, none of its lines removed now.
// Of a count that a run knowing no claims left, the entry after it is
// kept. Raises as ClaimHelps.
void SettleEarlierHelps(const platform::LineList& entries, const std::string& contents, platform::LineList& lines,
                        ListToDo& toDo);

}  // namespace uninstall
