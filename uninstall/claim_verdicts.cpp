#include "uninstall/claim_verdicts.h"

namespace uninstall {

EntryState CounterAfterRelease(const EntryState& before) noexcept {
  if (before.kind != kCounter) return before;
  if (before.value == 1) return {kNoCounter, 0};
  return {kCounter, before.value - 1u};
}

Verdict CounterVerdict(const EntryState& before, const EntryState& now) noexcept {
  // Nothing to release stays nothing to release: done again, it does nothing.
  if (now == before) return Verdict::ToDo;
  if (before.kind == kCounter && now == CounterAfterRelease(before)) return Verdict::Done;
  return Verdict::Kept;
}

int SettledPrefix(std::vector<Verdict>& verdicts) noexcept {
  int settled = 0;
  for (int i = 0; i < static_cast<int>(verdicts.size()); ++i)
    if (verdicts[i] != Verdict::ToDo) settled = i + 1;
  for (int i = 0; i < settled; ++i)
    if (verdicts[i] == Verdict::ToDo) verdicts[i] = Verdict::Kept;
  return settled;
}

int TextPrefix(const std::vector<EntryState>& texts, const EntryState& now) noexcept {
  for (int i = static_cast<int>(texts.size()) - 1; i >= 0; --i)
    if (texts[i] == now) return i;
  return -1;
}

}  // namespace uninstall
