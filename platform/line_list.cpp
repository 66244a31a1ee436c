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

const std::string& LineList::LineAt(int index) const {
  CheckIndex(index);
  return lines_[static_cast<std::size_t>(index)];
}

int LineList::AppendLine(std::string text) {
  lines_.push_back(std::move(text));
  return LineCount() - 1;
}

void LineList::AppendLines(const LineList& other) {
  // With room made first, appending a list to itself reads no moved line.
  const std::size_t count = other.lines_.size();
  lines_.reserve(lines_.size() + count);
  for (std::size_t i = 0; i < count; ++i) lines_.push_back(other.lines_[i]);
}

void LineList::ReplaceLine(int index, const std::string& text) {
  CheckIndex(index);
  lines_[static_cast<std::size_t>(index)] = text;
}

void LineList::RemoveLine(int index) {
  CheckIndex(index);
  lines_.erase(lines_.begin() + index);
}

void LineList::RemoveAll() noexcept {
  lines_.clear();
  tail_.clear();
}

int LineList::FindLine(const std::string& text) const {
  for (int i = 0; i < LineCount(); ++i)
    if (CaselessCompareLocale(lines_[static_cast<std::size_t>(i)], text) == 0) return i;
  return -1;
}

void LineList::SortLines() {
  if (LineCount() > 1) Sort(0, LineCount() - 1);
}

void LineList::Sort(int first, int last) {
  while (first < last) {
    int i = first;
    int j = last;
    const std::string pivot = lines_[static_cast<std::size_t>((first + last) / 2)];
    while (i <= j) {
      while (CaselessCompareLocale(lines_[static_cast<std::size_t>(i)], pivot) < 0) ++i;
      while (CaselessCompareLocale(lines_[static_cast<std::size_t>(j)], pivot) > 0) --j;
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
  lines_ = SplitLines(text.data(), text.size());
  tail_.clear();
}

std::string LineList::JoinedText() const { return JoinLines(lines_); }

void SplitAtChar(const std::string& text, char separator, LineList& list) {
  std::string lines = text;
  std::replace(lines.begin(), lines.end(), separator, '\n');
  LineList pieces;
  pieces.AssignText(lines);
  list.AppendLines(pieces);
}

}  // namespace platform
