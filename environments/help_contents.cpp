#include "environments/help_contents.h"

#include "environments/contents_line.h"

namespace environments {

int LocateContentsEntry(const platform::LineList& lines, std::string_view entry) {
  for (int i = 0; i < lines.LineCount(); ++i)
    if (platform::CaselessCompareLocale(ContentsLineTarget(lines.LineAt(i)), entry) == 0) return i;
  return -1;
}

bool RemoveContentsEntry(std::string_view entry, const std::string& path, platform::LineList& lines,
                         const platform::StoreNamed& named) {
  lines.LoadLines(path);
  return RemoveLoadedEntry(entry, path, lines, named);
}

bool RemoveLoadedEntry(std::string_view entry, const std::string& path, platform::LineList& lines,
                       const platform::StoreNamed& named) {
  const int index = LocateContentsEntry(lines, entry);
  if (index < 0) return false;
  lines.RemoveLine(index);
  lines.StoreLines(path, named);
  return true;
}

}  // namespace environments
