#include "setup/phase_progress.h"

#include <windows.h>

#include "setup/uninstall_record.h"

namespace setup {
namespace {

platform::UniqueRegKey OpenRecord(const std::string& keyName) {
  LONG opened = 0;
  return OpenExistingRecord(keyName, &opened);
}

}  // namespace

bool ReadDoneMark(HKEY record, const std::string& listName, DoneMark& mark) {
  unsigned char bytes[kDoneMarkSize];
  DWORD size = sizeof bytes;
  if (!record || RegQueryValueExA(record, DoneValueName(listName).c_str(), nullptr, nullptr, bytes, &size) !=
                     ERROR_SUCCESS)
    return false;
  return DecodeDoneMark(std::string(reinterpret_cast<const char*>(bytes), size), mark);
}

PhaseProgress::PhaseProgress(const std::string& keyName, const std::string& listName, const std::string& listText,
                             int lineCount)
    : record_(OpenRecord(keyName)), valueName_(DoneValueName(listName)) {
  DoneMark stored;
  mark_.fingerprint = ListFingerprint(listText);
  if (ReadDoneMark(record_.Get(), listName, stored))
    mark_.count = static_cast<std::uint32_t>(EntriesDone(stored, mark_.fingerprint, lineCount));
  written_ = mark_.count;
}

PhaseProgress::~PhaseProgress() {
  if (mark_.count != written_) Write();
}

void PhaseProgress::EntryDone() {
  ++mark_.count;
  Write();
}

void PhaseProgress::Write() noexcept {
  if (!record_.IsValid()) return;
  unsigned char bytes[kDoneMarkSize];
  EncodeDoneMark(mark_, bytes);
  if (RegSetValueExA(record_.Get(), valueName_.c_str(), 0, REG_BINARY, bytes, sizeof bytes) == ERROR_SUCCESS)
    written_ = mark_.count;
}

}  // namespace setup
