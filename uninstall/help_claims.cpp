#include "uninstall/help_claims.h"

#include <algorithm>

#include "environments/help_contents.h"
#include "platform/interrupted_store.h"
#include "uninstall/claim_verdicts.h"

namespace uninstall {

EntryState TextStateOf(const platform::LineList& lines) {
  const std::string text = lines.JoinedText();
  const DoneCount count = CountIn(text.data(), text.size(), 0);
  return {count.length, count.hash};
}

std::vector<EntryState> ClaimHelps(const platform::LineList& entries, int start, const std::string& contents,
                                   platform::LineList& lines) {
  lines.LoadLines(contents);
  platform::LineList after = lines;
  std::vector<EntryState> texts{TextStateOf(after)};
  const int end = std::min(entries.LineCount(), start + kClaimStretch);
  for (int i = start; i < end; ++i) {
    // An empty entry removes nothing (uninstall/remove_installed_helps.cpp).
    const int line = entries.LineAt(i).empty() ? -1 : environments::LocateContentsEntry(after, entries.LineAt(i));
    if (line >= 0) after.RemoveLine(line);
    texts.push_back(line >= 0 ? TextStateOf(after) : texts.back());
  }
  return texts;
}

bool TakeBackClaimedText(const std::string& contents, const std::vector<EntryState>& texts) {
  if (texts.empty()) return false;
  return platform::TakeBackInterruptedStore(contents, [&texts](const std::string& text) {
    const DoneCount count = CountIn(text.data(), text.size(), 0);
    return std::find(texts.begin(), texts.end(), EntryState{count.length, count.hash}) != texts.end();
  });
}

void SettleEarlierHelps(const platform::LineList& entries, const std::string& contents, platform::LineList& lines,
                        ListToDo& toDo) {
  if (toDo.LegacyInDoubt()) return toDo.EntryDone();
  const std::vector<EntryState>& texts = toDo.Claimed();
  if (texts.empty()) return;
  const int stretch = std::min(static_cast<int>(texts.size()) - 1, entries.LineCount() - toDo.Done());
  lines.LoadLines(contents);
  const int done = TextPrefix(texts, TextStateOf(lines));
  for (int i = 0; i < (done < 0 ? stretch : std::min(done, stretch)); ++i) toDo.EntryDone();
}

}  // namespace uninstall
