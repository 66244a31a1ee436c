#include "platform/interrupted_store.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
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
  const auto caseless = [&name](std::size_t at, const char* text) {
    for (std::size_t i = 0; text[i]; ++i)
      if (std::tolower(static_cast<unsigned char>(name[at + i])) != text[i]) return false;
    return true;
  };
  for (std::size_t i = 3; i < 3 + digits; ++i)
    if (!std::isxdigit(static_cast<unsigned char>(name[i]))) return false;
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
bool IsOwnTemporaryFile(const std::string& candidate) {
  const UniqueFile file = OpenPlainFile(candidate, GENERIC_READ, 0);
  return file.IsValid() && HasPrivateFileSecurity(file.Get());
}

// The text of the file beside the target, where it is the store's own and
// one that the phase takes; false otherwise.
bool OwnStoredText(const std::string& candidate, const OwnText& isOwnText, LineList& lines) {
  const UniqueFile file = OpenPlainFile(candidate, GENERIC_READ, 0);
  std::string bytes;
  if (!file.IsValid() || !HasPrivateFileSecurity(file.Get()) || !ReadThrough(file.Get(), bytes) || !isOwnText(bytes))
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
  std::vector<std::pair<ULONGLONG, std::string>> found;
  WIN32_FIND_DATAA entry{};
  const UniqueFind find(FindFirstFileA((folder + "qnl*.tmp").c_str(), &entry));
  for (BOOL more = find.IsValid(); more; more = FindNextFileA(find.Get(), &entry)) {
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY || !IsStoreTemporaryName(entry.cFileName)) continue;
    const ULONGLONG written = (ULONGLONG{entry.ftLastWriteTime.dwHighDateTime} << 32) | entry.ftLastWriteTime.dwLowDateTime;
    found.emplace_back(written, entry.cFileName);
  }
  std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
  std::vector<std::string> names;
  names.reserve(found.size());
  for (auto& [written, name] : found) names.push_back(std::move(name));
  return names;
}

}  // namespace

bool TakeBackInterruptedStore(const std::string& path, const OwnText& isOwnText) {
  if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) return false;
  const std::string folder = FolderWithBackslash(path);
  LineList lines;
  for (const std::string& name : StoreTemporaryNames(folder)) {
    const std::string candidate = folder + name;
    if (!OwnStoredText(candidate, isOwnText, lines)) continue;
    lines.StoreLines(path);
    DeleteFileA(candidate.c_str());
    return true;
  }
  return false;
}

void DeleteLeftTemporaryFiles(const std::string& path) {
  const std::string folder = FolderWithBackslash(path);
  for (const std::string& name : StoreTemporaryNames(folder)) {
    const std::string candidate = folder + name;
    if (IsOwnTemporaryFile(candidate)) DeleteFileA(candidate.c_str());
  }
}

}  // namespace platform
