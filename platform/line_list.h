// An ordered list of 8-bit text lines numbered from 0; the in-memory form of
// every multi-line value and of every text file that the system edits.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// CompareStringA with LOCALE_USER_DEFAULT and NORM_IGNORECASE, full lengths.
// Returns <0, 0 or >0. Raises the out-of-memory error when CompareStringA
// fails, which it does only for want of memory.
int CaselessCompareLocale(std::string_view a, std::string_view b);

class LineList {
 public:
  int LineCount() const noexcept { return static_cast<int>(lines_.size()); }
  // The line itself, valid until the list changes: callers that keep it copy
  // it. Raises EStringListError "List index out of bounds (%d)" outside
  // 0..count-1.
  const std::string& LineAt(int index) const;
  int AppendLine(std::string text);
  void AppendLines(const LineList& other);
  void ReplaceLine(int index, const std::string& text);
  void RemoveLine(int index);
  void RemoveAll() noexcept;
  // First line equal under CaselessCompareLocale, or -1.
  int FindLine(const std::string& text) const;
  // Ascending under CaselessCompareLocale (quicksort, middle pivot).
  void SortLines();
  void AssignText(const std::string& text);
  std::string JoinedText() const;

  // Replaces the content by the file's lines. Raises EFOpenError "Cannot open
  // file %s" when the file cannot be opened or not read whole; the list is then
  // unchanged. Bytes from a NUL on are kept aside and written back by
  // StoreLines, so that storing a loaded file never loses them.
  void LoadLines(const std::string& path);
  // Replaces the file's content by JoinedText. Raises EFCreateError "Cannot
  // create file %s" when the file cannot be created (it is then untouched) and
  // EWriteError "Stream write error" when the write fails: the new text goes to
  // a temporary file beside the target first, so the target is never left
  // truncated or half-written.
  void StoreLines(const std::string& path) const;

 private:
  void CheckIndex(int index) const;
  void Sort(int first, int last);

  std::vector<std::string> lines_;
  std::string tail_;  // a loaded file's bytes from its first NUL on
};

// Reads the whole file at path into bytes, opened with the given share mode
// (0 while the system edits it; others may hold it while a report reads it).
// False, bytes unspecified, when it cannot be opened or not read whole.
bool ReadWholeFile(const std::string& path, unsigned long shareMode, std::string& bytes);

// Appends the pieces of text between separators to list (not emptied first):
// pieces unchanged, two separators in a row give an empty piece, one at the
// end gives none; CR and LF separate pieces as well.
void SplitAtChar(const std::string& text, char separator, LineList& list);

}  // namespace platform
