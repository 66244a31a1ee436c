#include "platform/interrupted_store.h"

#include <windows.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "platform/ansi_text.h"
#include "platform/line_list.h"
#include "platform/path_text.h"
#include "platform/plain_file.h"
#include "platform/private_file_security.h"
#include "platform/unique_handle.h"

namespace platform {
namespace {

// "qnl1.tmp" to "qnlFFFF.tmp", in any letter case: the names that
// GetTempFileNameA gives for the store's prefix. A search for "qnl*.tmp"
// finds longer names too, and names whose short form only matches.
bool IsStoreTemporaryName(const std::string& name) {
  if (name.size() < 8 || name.size() > 11) return false;
  const std::size_t digits = name.size() - 7;
  // ASCII letters only, whatever the code page: | 0x20 makes them small.
  const auto small = [&name](std::size_t at) { return static_cast<char>(name[at] | 0x20); };
  const auto caseless = [&small](std::size_t at, const char* text) {
    for (std::size_t i = 0; text[i]; ++i)
      if (small(at + i) != text[i]) return false;
    return true;
  };
  for (std::size_t i = 3; i < 3 + digits; ++i)
    if (!(name[i] >= '0' && name[i] <= '9') && !(small(i) >= 'a' && small(i) <= 'f')) return false;
  return caseless(0, "qnl") && caseless(3 + digits, ".tmp");
}

// The whole file through its handle: what the checks were made on is what
// is stored.
bool ReadThrough(HANDLE file, std::string& bytes) {
  const DWORD size = GetFileSize(file, nullptr);
  if (size == INVALID_FILE_SIZE) return false;
  bytes.assign(size, '\0');
  DWORD read = 0;
  return size == 0 || (ReadFile(file, &bytes[0], size, &read, nullptr) && read == size);
}

// A plain file of one link, not open elsewhere, with the store's security.
bool IsOwnTemporaryFile(const std::string& candidate, const PrivateFileSecurity& own) {
  const UniqueFile file = OpenPlainFile(candidate, GENERIC_READ, 0);
  return file.IsValid() && own.IsOn(file.Get());
}

// The text of the file beside the target, where it is the store's own and
// one that the phase takes; false otherwise.
bool OwnStoredText(const std::string& candidate, const PrivateFileSecurity& own, const OwnText& isOwnText,
                   LineList& lines) {
  const UniqueFile file = OpenPlainFile(candidate, GENERIC_READ, 0);
  std::string bytes;
  if (!file.IsValid() || !own.IsOn(file.Get()) || !ReadThrough(file.Get(), bytes) || !isOwnText(bytes))
    return false;
  lines.AssignText(bytes);
  return lines.JoinedText() == bytes;
}

std::string FolderWithBackslash(const std::string& path) {
  return AddTrailingBackslash(FolderOfPath(path, &IsAnsiLeadByte), &IsAnsiLeadByte);
}

// The names of the store's temporary files in folder, the last written
// first: where several pass, the store that the kill cut wrote last.
std::vector<std::string> StoreTemporaryNames(const std::string& folder) {
  std::vector<std::string> names;
  std::vector<ULONGLONG> times;  // of the names, alike in order
  WIN32_FIND_DATAA entry{};
  const UniqueFind find(FindFirstFileA((folder + "qnl*.tmp").c_str(), &entry));
  for (BOOL more = find.IsValid(); more; more = FindNextFileA(find.Get(), &entry)) {
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY || !IsStoreTemporaryName(entry.cFileName)) continue;
    const ULONGLONG written = (ULONGLONG{entry.ftLastWriteTime.dwHighDateTime} << 32) | entry.ftLastWriteTime.dwLowDateTime;
    // Put in order as found: a folder holds a few such files at most.
    std::size_t at = 0;
    while (at < times.size() && times[at] >= written) ++at;
    times.insert(times.begin() + static_cast<std::ptrdiff_t>(at), written);
    names.insert(names.begin() + static_cast<std::ptrdiff_t>(at), entry.cFileName);
  }
  return names;
}

}  // namespace

bool TakeBackInterruptedStore(const std::string& path, const OwnText& isOwnText) {
  if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) return false;
  const std::string folder = FolderWithBackslash(path);
  const PrivateFileSecurity own;
  LineList lines;
  for (const std::string& name : StoreTemporaryNames(folder)) {
    const std::string candidate = folder + name;
    if (!OwnStoredText(candidate, own, isOwnText, lines)) continue;
    lines.StoreLines(path);
    DeleteFileA(candidate.c_str());
    return true;
  }
  return false;
}

void DeleteLeftTemporaryFiles(const std::string& path) {
  const std::string folder = FolderWithBackslash(path);
  const PrivateFileSecurity own;
  for (const std::string& name : StoreTemporaryNames(folder)) {
    const std::string candidate = folder + name;
    if (IsOwnTemporaryFile(candidate, own)) DeleteFileA(candidate.c_str());
  }
}

}  // namespace platform
