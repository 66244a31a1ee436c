#include "platform/line_list.h"

#include <windows.h>

#include <algorithm>

#include "platform/errors.h"
#include "platform/string_ids.h"
#include "platform/text_lines.h"

namespace platform {

int CaselessCompareLocale(std::string_view a, std::string_view b) {
  // An empty view may have no characters at all to point to; CompareStringA
  // refuses a null text even of length 0.
  const char* first = a.empty() ? "" : a.data();
  const char* second = b.empty() ? "" : b.data();
  const int result = CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, first, static_cast<int>(a.size()),
                                    second, static_cast<int>(b.size()));
  // With these flags and lengths the comparison fails only when it finds no
  // memory for its work; an order of another kind would not ignore case.
  if (result == 0) RaiseOutOfMemory();
  return result - CSTR_EQUAL;
}

void LineList::CheckIndex(int index) const {
  if (index < 0 || index >= LineCount()) RaiseError(ErrorKind::StringList, IDS_LIST_INDEX_ERROR, {}, index);
}

std::string_view LineList::LineAt(int index) const {
  CheckIndex(index);
  return View(lines_[static_cast<std::size_t>(index)]);
}

int LineList::AppendLine(std::string_view text) {
  // Should text be a line of this list, append still reads it: a growing
  // string copies the text into its new block before it frees the old one.
  const LineSpan span{text_.size(), text.size()};
  text_.append(text.data(), text.size());
  lines_.push_back(span);
  return LineCount() - 1;
}

void LineList::AppendLines(const LineList& other) {
  const std::size_t count = other.lines_.size();
  lines_.reserve(lines_.size() + count);
  if (&other == this) {
    // The same bytes serve the copies.
    for (std::size_t i = 0; i < count; ++i) lines_.push_back(lines_[i]);
    return;
  }
  text_.reserve(text_.size() + other.text_.size());
  for (std::size_t i = 0; i < count; ++i) AppendLine(other.View(other.lines_[i]));
}

void LineList::ReplaceLine(int index, std::string_view text) {
  CheckIndex(index);
  const LineSpan span{text_.size(), text.size()};
  text_.append(text.data(), text.size());
  lines_[static_cast<std::size_t>(index)] = span;
}

void LineList::RemoveLine(int index) {
  CheckIndex(index);
  lines_.erase(lines_.begin() + index);
}

void LineList::RemoveAll() noexcept {
  lines_.clear();
  text_.clear();
  tail_.clear();
}

int LineList::FindLine(std::string_view text) const {
  for (int i = 0; i < LineCount(); ++i)
    if (CaselessCompareLocale(View(lines_[static_cast<std::size_t>(i)]), text) == 0) return i;
  return -1;
}

void LineList::SortLines() {
  if (LineCount() > 1) Sort(0, LineCount() - 1);
}

void LineList::Sort(int first, int last) {
  while (first < last) {
    int i = first;
    int j = last;
    // Sorting moves spans only: the pivot's bytes stay where they are.
    const std::string_view pivot = View(lines_[static_cast<std::size_t>((first + last) / 2)]);
    while (i <= j) {
      while (CaselessCompareLocale(View(lines_[static_cast<std::size_t>(i)]), pivot) < 0) ++i;
      while (CaselessCompareLocale(View(lines_[static_cast<std::size_t>(j)]), pivot) > 0) --j;
      if (i <= j) std::swap(lines_[static_cast<std::size_t>(i++)], lines_[static_cast<std::size_t>(j--)]);
    }
    // Recurse into the smaller range, loop over the larger: bounded depth.
    if (j - first < last - i) {
      Sort(first, j);
      first = i;
    } else {
      Sort(i, last);
      last = j;
    }
  }
}

void LineList::AssignText(const std::string& text) {
  lines_.clear();
  text_.assign(text, 0, FindLines(text.data(), text.size(), lines_));
  tail_.clear();
}

void LineList::JoinInto(std::string& text) const {
  std::size_t total = 0;
  for (const LineSpan& span : lines_) total += span.Length + 2;
  text.clear();
  text.reserve(total);
  // Lines that follow each other in the loaded text with a CR LF between
  // them go in one piece: a help store copies a 20,000-line file in a few
  // pieces, not line by line.
  for (std::size_t i = 0; i < lines_.size();) {
    const std::size_t from = lines_[i].Offset;
    std::size_t end = from + lines_[i].Length;
    for (++i; i < lines_.size() && lines_[i].Offset == end + 2 && text_[end] == '\r' && text_[end + 1] == '\n'; ++i)
      end = lines_[i].Offset + lines_[i].Length;
    text.append(text_, from, end - from);
    text.append("\r\n", 2);
  }
}

std::string LineList::JoinedText() const {
  std::string text;
  JoinInto(text);
  return text;
}

void SplitAtChar(const std::string& text, char separator, LineList& list) {
  std::string lines = text;
  std::replace(lines.begin(), lines.end(), separator, '\n');
  LineList pieces;
  pieces.AssignText(lines);
  list.AppendLines(pieces);
}

}  // namespace platform
