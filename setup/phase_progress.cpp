#include "setup/phase_progress.h"

#include "setup/progress_marks.h"
#include "setup/uninstall_record.h"

namespace setup {

PhaseProgress::PhaseProgress(const std::string& keyName, const std::string& listName, const std::string& listText,
                             int lineCount, const PresentWitness& presentWitness)
    : valueName_(DoneValueName(listName)) {
  mark_.fingerprint = ListFingerprint(listText);
  LONG opened = 0;
  const platform::UniqueRegKey record = OpenExistingRecord(keyName, &opened);
  if (record.IsValid()) {
    // Only installers write the record: its time now is that of the
    // installation that this run undoes.
    mark_.recordTime = RecordWriteTime(record.Get());
    keyPath_ = ProgressKeyPath(keyName);
    DoneMark stored;
    if (ReadDoneMark(keyName, listName, stored) &&
        JudgeDoneMark(stored, mark_, lineCount, presentWitness) == MarkStanding::Counts) {
      mark_.count = static_cast<std::uint32_t>(EntriesDone(stored, MarkStanding::Counts, lineCount));
      mark_.witnessIndex = stored.witnessIndex;
      mark_.witness = stored.witness;
    }
  }
  written_ = mark_.count;
}

PhaseProgress::~PhaseProgress() {
  if (mark_.count != written_) Write();
}

void PhaseProgress::EntryDone() {
  ++mark_.count;
  Write();
}

void PhaseProgress::EntryDone(std::uint32_t witness) {
  mark_.witnessIndex = mark_.count;
  mark_.witness = witness;
  EntryDone();
}

void PhaseProgress::Write() noexcept {
  if (keyPath_.empty()) return;
  if (!key_.IsValid() && RegCreateKeyExA(HKEY_CURRENT_USER, keyPath_.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                         KEY_ALL_ACCESS, nullptr, key_.Receive(), nullptr) != ERROR_SUCCESS)
    return;
  unsigned char bytes[kDoneMarkSize];
  EncodeDoneMark(mark_, bytes);
  if (RegSetValueExA(key_.Get(), valueName_.c_str(), 0, REG_BINARY, bytes, sizeof bytes) == ERROR_SUCCESS)
    written_ = mark_.count;
}

}  // namespace setup
