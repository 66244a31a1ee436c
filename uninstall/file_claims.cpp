#include "uninstall/file_claims.h"

#include <windows.h>

#include <algorithm>
#include <string_view>
#include <vector>

#include "platform/line_list.h"
#include "platform/registry_session.h"
#include "registration/shared_files.h"
#include "uninstall/claim_verdicts.h"

namespace uninstall {

namespace {

EntryState EntryStateOf(const registration::CounterState& state) {
  switch (state.kind) {
    case registration::CounterState::Number:
      return {kCounter, static_cast<std::uint32_t>(state.value)};
    case registration::CounterState::Unreadable:
      return {kUnreadableCounter, 0};
    case registration::CounterState::None:
      break;
  }
  return {kNoCounter, 0};
}

// The names of a stretch so far, ordered by length and then as the locale
// compares them (names of other lengths differ for the counters' key too),
// so that a name is told from all of them in as many comparisons as halve
// the stretch, not one for each (every pair of a stretch of 64 names of one
// length is 2,016 comparisons of the locale's, a tenth of the file phase).
// The order is the one that sorting the line lists relies on too.
class NameOrder {
 public:
  NameOrder() { names_.reserve(kClaimStretch); }

  // Adds a name that none of them equals; false, and nothing added, where one does.
  bool Insert(std::string_view name) {
    std::size_t low = 0;
    std::size_t high = names_.size();
    while (low < high) {
      const std::size_t middle = low + (high - low) / 2;
      const int order = Compare(name, names_[middle]);
      if (order == 0) return false;
      if (order < 0) high = middle;
      else low = middle + 1;
    }
    names_.insert(names_.begin() + static_cast<std::ptrdiff_t>(low), name);
    return true;
  }

 private:
  static int Compare(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    return platform::CaselessCompareLocale(a, b);
  }
  std::vector<std::string_view> names_;
};

}  // namespace

EntryState CounterStateOf(const std::string& path) { return EntryStateOf(registration::SharedFileState(path)); }

std::vector<EntryState> ClaimFiles(const platform::LineList& files, int start) {
  std::vector<EntryState> states;
  // The counters' key opened once for the stretch, as a release opens it.
  platform::RegistrySession registry;
  const bool open = registry.OpenPath(registration::kInstalledFilesKey);
  const int end = std::min(files.LineCount(), start + kClaimStretch);
  NameOrder claimed;
  for (int i = start; i < end; ++i) {
    if (!claimed.Insert(files.LineAt(i))) return states;
    states.push_back(open ? EntryStateOf(registration::SharedFileStateIn(registry, std::string(files.LineAt(i))))
                          : EntryState{kNoCounter, 0});
  }
  return states;
}

void SettleEarlierFiles(const platform::LineList& files, ListToDo& toDo) {
  if (toDo.LegacyInDoubt()) return toDo.EntryDone();
  const std::vector<EntryState>& claimed = toDo.Claimed();
  const int start = toDo.Done();
  const int stretch = std::min(static_cast<int>(claimed.size()), files.LineCount() - start);
  std::vector<Verdict> verdicts;
  verdicts.reserve(static_cast<std::size_t>(std::max(stretch, 0)));
  for (int i = 0; i < stretch; ++i)
    verdicts.push_back(CounterVerdict(claimed[i], CounterStateOf(std::string(files.LineAt(start + i)))));
  const int settled = SettledPrefix(verdicts);
  for (int i = 0; i < settled; ++i) {
    // A release that took the counter away, its delete perhaps not yet done.
    if (verdicts[i] == Verdict::Done && claimed[i].kind == kCounter && claimed[i].value == 1)
      DeleteFileA(std::string(files.LineAt(start + i)).c_str());
    toDo.EntryDone();
  }
}

}  // namespace uninstall
