#include "uninstall/file_claims.h"

#include <windows.h>

#include <algorithm>

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

}  // namespace

EntryState CounterStateOf(const std::string& path) { return EntryStateOf(registration::SharedFileState(path)); }

std::vector<EntryState> ClaimFiles(const platform::LineList& files, int start) {
  std::vector<EntryState> states;
  // The counters' key opened once for the stretch, as a release opens it.
  platform::RegistrySession registry;
  const bool open = registry.OpenPath(registration::kInstalledFilesKey);
  const int end = std::min(files.LineCount(), start + kClaimStretch);
  for (int i = start; i < end; ++i) {
    // Names of other lengths differ for the counters' key too; the locale's
    // comparison, of a stretch's every pair, only where the lengths match.
    for (int j = start; j < i; ++j)
      if (files.LineAt(i).size() == files.LineAt(j).size() &&
          platform::CaselessCompareLocale(files.LineAt(i), files.LineAt(j)) == 0)
        return states;
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
