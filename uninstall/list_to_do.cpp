#include "uninstall/list_to_do.h"

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

ListToDo::ListToDo(const std::string& keyName, const char* listName, const std::string& text, int lineCount)
    : record_(OpenRecord(keyName)), listName_(listName), doneName_(DoneValueName(listName)), text_(text),
      count_(CountIn(text.data(), text.size(), 0)) {
  DoneCount stored;
  if (!record_.IsValid() || !ReadDoneCount(record_.Get(), listName, stored)) return;
  const int done = EntriesDone(stored, text, lineCount);
  if (done < 0)
    RegDeleteValueA(record_.Get(), doneName_.c_str());
  else
    count_.count = static_cast<std::uint32_t>(done);
}

ListToDo::~ListToDo() {
  if (!record_.IsValid() || count_.count == 0) return;
  const std::size_t start = platform::LineStart(text_.data(), text_.size(), count_.count);
  const char* const tail = text_.c_str() + start;
  const std::size_t length = text_.size() - start;
  if (RegSetValueExA(record_.Get(), listName_, 0, REG_SZ, reinterpret_cast<const BYTE*>(tail),
                     static_cast<DWORD>(length) + 1) != ERROR_SUCCESS)
    return;
  // The shorter list reaches the disk before the count that counts in it:
  // whichever of the two a power loss keeps, no entry is skipped.
  RegFlushKey(record_.Get());
  WriteCount(CountIn(tail, length, 0));
}

void ListToDo::EntryDone() noexcept {
  ++count_.count;
  if (record_.IsValid()) WriteCount(count_);
}

void ListToDo::WriteCount(const DoneCount& count) const noexcept {
  unsigned char bytes[kDoneCountSize];
  EncodeDoneCount(count, bytes);
  RegSetValueExA(record_.Get(), doneName_.c_str(), 0, REG_BINARY, bytes, sizeof bytes);
}

bool ReadDoneCount(HKEY record, const char* listName, DoneCount& count) {
  unsigned char bytes[kDoneCountSize];
  DWORD size = sizeof bytes;
  if (RegQueryValueExA(record, DoneValueName(listName).c_str(), nullptr, nullptr, bytes, &size) != ERROR_SUCCESS)
    return false;
  return DecodeDoneCount(bytes, size, count);
}

void DeleteDoneCounts(const std::string& keyName) {
  const platform::UniqueRegKey record = OpenRecord(keyName);
  if (!record.IsValid()) return;
  for (const char* list : kLists) RegDeleteValueA(record.Get(), DoneValueName(list).c_str());
}

}  // namespace uninstall
