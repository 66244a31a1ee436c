// Taking the product's help entries out of an environment's help contents file.
#pragma once
#include <string>
#include <string_view>

#include "platform/line_list.h"

namespace environments {

// The first line whose target equals entry under CaselessCompareLocale, or -1.
int LocateContentsEntry(const platform::LineList& lines, std::string_view entry);

// Loads the contents file anew into lines (whatever they held is replaced;
// the list is passed in so that its memory serves entry after entry),
// removes the first line that entry names and stores the file; a file in
// which entry names no line is not written. Raises EFOpenError "Cannot open
// file %s" when the file cannot be loaded and the store's errors when it
// cannot be written; the file keeps its bytes then. True when a line was
// removed. named is told the moment the store's new text has the file's name
// (LineList::StoreLines): the entry is done then, whatever follows.
bool RemoveContentsEntry(std::string_view entry, const std::string& path, platform::LineList& lines,
                         const platform::StoreNamed& named = nullptr);

// The same on lines that hold the file as just loaded.
bool RemoveLoadedEntry(std::string_view entry, const std::string& path, platform::LineList& lines,
                       const platform::StoreNamed& named = nullptr);

}  // namespace environments
