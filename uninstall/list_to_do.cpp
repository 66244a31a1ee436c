#include "uninstall/list_to_do.h"

#include <algorithm>

#include "platform/text_lines.h"
#include "setup/uninstall_record.h"

namespace uninstall {
namespace {

const char* const kLists[] = {"FILES", "INSTALLEDHELPS"};

platform::UniqueRegKey OpenRecord(const std::string& keyName) {
  LONG opened = 0;
  return setup::OpenExistingRecord(keyName, &opened);
}

}  // namespace

ListToDo::ListToDo(const std::string& keyName, const char* listName, const std::string& text, int lineCount,
                   HKEY effectsHive)
    : record_(OpenRecord(keyName)), listName_(listName), doneName_(DoneValueName(listName)), text_(text),
      count_(CountIn(text.data(), text.size(), 0)), effectsHive_(effectsHive) {
  DoneClaim stored;
  if (!record_.IsValid() || !ReadDoneClaim(record_.Get(), listName, stored)) return;
  const int done = EntriesDone(stored.count, text, lineCount);
  if (done < 0) {
    RegDeleteValueA(record_.Get(), doneName_.c_str());
    return;
  }
  count_.count = static_cast<std::uint32_t>(done);
  flushedAt_ = startCount_ = count_.count;
  if (stored.claimed) {
    claimed_ = std::move(stored.states);
  } else {
    legacyInDoubt_ = done > 0 && done < lineCount;
  }
}

ListToDo::~ListToDo() {
  // Nothing done or settled and nothing claimed: what the record holds
  // stands, an earlier run's claim that a failure kept this run from
  // settling included.
  if (!record_.IsValid() || (count_.count == startCount_ && !wroteClaim_)) return;
  FlushEffects();
  const std::size_t start = platform::LineStart(text_.data(), text_.size(), count_.count);
  const char* const tail = text_.c_str() + start;
  const std::size_t length = text_.size() - start;
  if (RegSetValueExA(record_.Get(), listName_, 0, REG_SZ, reinterpret_cast<const BYTE*>(tail),
                     static_cast<DWORD>(length) + 1) != ERROR_SUCCESS) {
    WriteExactCount();
    return;
  }
  // The shorter list reaches the disk before the count that counts in it:
  // whichever of the two a power loss keeps, no entry is skipped.
  RegFlushKey(record_.Get());
  unsigned char bytes[kDoneCountSize];
  EncodeDoneCount(CountIn(tail, length, 0), bytes);
  RegSetValueExA(record_.Get(), doneName_.c_str(), 0, REG_BINARY, bytes, sizeof bytes);
}

void ListToDo::Claim(const std::vector<EntryState>& states) {
  if (!record_.IsValid()) return;
  DoneClaim claim;
  claim.count = count_;
  claim.states = states;
  claim.claimed = true;
  const std::vector<unsigned char> bytes = EncodeDoneClaim(claim);
  FlushEffects();
  wroteClaim_ = true;
  if (RegSetValueExA(record_.Get(), doneName_.c_str(), 0, REG_BINARY, bytes.data(),
                     static_cast<DWORD>(bytes.size())) == ERROR_SUCCESS)
    RegFlushKey(record_.Get());
}

void ListToDo::WriteExactCount() const noexcept {
  // Without memory to spare: the count and no states fit on the stack.
  unsigned char head[kDoneCountSize];
  EncodeDoneCount(count_, head);
  unsigned char bytes[kDoneCountSize + 8] = {};
  std::copy(head, head + kDoneCountSize, bytes);
  bytes[kDoneCountSize] = static_cast<unsigned char>(kClaimVersion);
  RegSetValueExA(record_.Get(), doneName_.c_str(), 0, REG_BINARY, bytes, sizeof bytes);
}

void ListToDo::FlushEffects() noexcept {
  if (effectsHive_ && count_.count != flushedAt_) RegFlushKey(effectsHive_);
  flushedAt_ = count_.count;
}

bool ReadDoneClaim(HKEY record, const char* listName, DoneClaim& claim) {
  const std::string name = DoneValueName(listName);
  DWORD size = 0;
  if (RegQueryValueExA(record, name.c_str(), nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS) return false;
  std::vector<unsigned char> bytes(size ? size : 1);
  if (RegQueryValueExA(record, name.c_str(), nullptr, nullptr, bytes.data(), &size) != ERROR_SUCCESS) return false;
  return DecodeDoneClaim(bytes.data(), size, claim);
}

void DeleteDoneCounts(const std::string& keyName) {
  const platform::UniqueRegKey record = OpenRecord(keyName);
  if (!record.IsValid()) return;
  for (const char* list : kLists) RegDeleteValueA(record.Get(), DoneValueName(list).c_str());
}

}  // namespace uninstall
