#include "report/claim_notes.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "uninstall/claim_verdicts.h"
#include "uninstall/file_claims.h"
#include "uninstall/help_claims.h"

namespace report {
namespace {

std::string Quoted(std::string_view entry) { return "\"" + std::string(entry) + "\""; }

// By each counter now, as the run will settle them.
std::string FileClaimNote(const platform::LineList& list, int done, const std::vector<uninstall::EntryState>& claimed) {
  const int stretch = std::min(static_cast<int>(claimed.size()), list.LineCount() - done);
  std::vector<uninstall::Verdict> verdicts;
  verdicts.reserve(static_cast<std::size_t>(std::max(stretch, 0)));
  for (int i = 0; i < stretch; ++i)
    verdicts.push_back(
        uninstall::CounterVerdict(claimed[i], uninstall::CounterStateOf(std::string(list.LineAt(done + i)))));
  const int settled = uninstall::SettledPrefix(verdicts);
  std::string kept;
  int found = 0;
  for (int i = 0; i < settled; ++i) {
    if (verdicts[i] == uninstall::Verdict::Done) ++found;
    if (verdicts[i] == uninstall::Verdict::Kept) kept += (kept.empty() ? "" : ", ") + Quoted(list.LineAt(done + i));
  }
  std::string note = "; it claimed the next " + std::to_string(stretch) + ": a run finds " + std::to_string(found) +
                     " of them done";
  if (!kept.empty()) note += ", keeps " + kept + " (counters changed since)";
  return note;
}

// By the contents file's text now, as the run will settle them: as many
// done as the last text of the claim that it shows, or all kept where it
// shows none (another installation changed the file since).
std::string HelpClaimNote(const platform::LineList& list, int done, const std::vector<uninstall::EntryState>& texts,
                          const std::string* contents) {
  const int stretch = std::min(static_cast<int>(texts.size()) - 1, list.LineCount() - done);
  std::string note = "; it claimed the next " + std::to_string(stretch) + ": ";
  if (contents == nullptr)
    return note + "a run finds as many done as the contents file's text shows, and keeps them all where another "
                  "installation changed the file since";
  platform::LineList lines;
  lines.AssignText(*contents);
  const int found = uninstall::TextPrefix(texts, uninstall::TextStateOf(lines));
  if (found >= 0) {
    note += "a run finds " + std::to_string(std::min(found, stretch)) + " of them done";
    return found > 0 ? note + ", the last " + Quoted(list.LineAt(done + std::min(found, stretch) - 1)) : note;
  }
  std::string kept;
  for (int i = 0; i < stretch; ++i) kept += (kept.empty() ? "" : ", ") + Quoted(list.LineAt(done + i));
  return note + "a run finds none of them done, keeps " + kept + " (the contents file changed since)";
}

}  // namespace

std::string DoubtNote(const char* listName, const platform::LineList& list, int done, const uninstall::DoneClaim& stored,
                      const std::string* contents) {
  if (done >= list.LineCount()) return {};
  if (!stored.claimed)
    return done > 0 ? "; an uninstaller that counted after each entry wrote it: a run keeps the next, " +
                          Quoted(list.LineAt(done)) + ", which may be done"
                    : std::string();
  if (stored.states.empty()) return {};
  if (std::strcmp(listName, "FILES") == 0) return FileClaimNote(list, done, stored.states);
  return HelpClaimNote(list, done, stored.states, contents);
}

}  // namespace report
