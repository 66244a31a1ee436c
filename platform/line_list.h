// An ordered list of 8-bit text lines numbered from 0; the in-memory form of
// every multi-line value and of every text file that the system edits.
#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/text_lines.h"

namespace platform {

// CompareStringA with LOCALE_USER_DEFAULT and NORM_IGNORECASE, full lengths.
// Returns <0, 0 or >0. Raises the out-of-memory error when CompareStringA
// fails, which it does only for want of memory.
int CaselessCompareLocale(std::string_view a, std::string_view b);

// The lines are views into one text that the list owns: a loaded file's bytes
// stay where the one read put them, and appending or replacing a line adds
// its bytes at the end of that text. So loading a file makes no allocation
// per line, and a list that is loaded again and again (one contents file per
// help entry) reuses the memory of the loads and stores before.
// Called once a store's new text has the file's name, before whatever the
// store may still do and fail in (put the old file's rights on the new one):
// from then on the store has stored, whatever it raises. Must not raise.
using StoreNamed = std::function<void()>;

class LineList {
 public:
  int LineCount() const noexcept { return static_cast<int>(lines_.size()); }
  // The line itself, valid until the list changes: callers that keep it copy
  // it. Raises EStringListError "List index out of bounds (%d)" outside
  // 0..count-1.
  std::string_view LineAt(int index) const;
  // Appends a copy of text, which may be a line of this list.
  int AppendLine(std::string_view text);
  void AppendLines(const LineList& other);
  void ReplaceLine(int index, std::string_view text);
  void RemoveLine(int index);
  // No lines left; the memory is kept for the next content.
  void RemoveAll() noexcept;
  // First line equal under CaselessCompareLocale, or -1.
  int FindLine(std::string_view text) const;
  // Ascending under CaselessCompareLocale (quicksort, middle pivot).
  void SortLines();
  void AssignText(const std::string& text);
  std::string JoinedText() const;

  // Replaces the content by the file's lines. Raises EFOpenError "Cannot open
  // file %s" when the file cannot be opened or not read whole, or is no plain
  // file of one link (ReadWholeFile); the list is then unchanged. Bytes from a NUL on are kept aside and written back by
  // StoreLines, so that storing a loaded file never loses them.
  void LoadLines(const std::string& path);
  // Replaces the file's content by JoinedText. Raises EFCreateError "Cannot
  // create file %s" when the file cannot be created (it is then untouched) and
  // EWriteError "Stream write error" when the write or its flush fails: the
  // new text goes to a temporary file beside the target first and is flushed
  // to the disk before it takes the target's name, so the target holds its
  // old or its new text whatever stops the run, a power loss included. That
  // file is made new under a name no other file or link has, with rights for
  // SYSTEM, the Administrators and the running account only, and gets the
  // target's rights with its name; EInOutError when Windows NT cannot build
  // those rights. A file that is no plain file of one link is never written
  // through. named, when given, is called the moment the new text has the
  // name: where the target's rights cannot be put on the renamed file after
  // that, EFCreateError still follows.
  void StoreLines(const std::string& path, const StoreNamed& named = nullptr) const;

 private:
  void CheckIndex(int index) const;
  void Sort(int first, int last);
  std::string_view View(const LineSpan& span) const { return std::string_view(text_).substr(span.Offset, span.Length); }
  // The text form, built into text (emptied first, its memory reused).
  void JoinInto(std::string& text) const;

  std::string text_;  // the lines' bytes; those of removed or replaced lines stay until the next content
  std::vector<LineSpan> lines_;
  std::string tail_;  // a loaded file's bytes from its first NUL on
  // The buffer of the next load and of each store's text, kept between uses.
  mutable std::string scratch_;
};

// Reads the whole file at path into bytes, opened with the given share mode
// (0 while the system edits it; others may hold it while a report reads it).
// False, bytes unspecified, when it cannot be opened or not read whole, or
// when the name is a link or a second name of a file (OpenPlainFile).
bool ReadWholeFile(const std::string& path, unsigned long shareMode, std::string& bytes);

// Appends the pieces of text between separators to list (not emptied first):
// pieces unchanged, two separators in a row give an empty piece, one at the
// end gives none; CR and LF separate pieces as well.
void SplitAtChar(const std::string& text, char separator, LineList& list);

}  // namespace platform
