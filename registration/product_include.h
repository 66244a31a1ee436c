// The product's include file "units\prod.inc" in its folder, whose define
// lines switch exactly the still-registered sub-products on.
#pragma once
#include <string>

#include "platform/line_list.h"

namespace registration {

// The include file of the product whose folder is folder (its "FolderName"):
// folder, a backslash where it has none at its end, then "units\prod.inc".
std::string ProductIncludePath(const std::string& folder);

// Rewrites the include file below folder to match the product's remaining
// sub-products. Nothing happens for an empty folder or a missing file, unless
// a run ended while it stored the file left the text it was storing beside
// it (platform/interrupted_store.h): that text is the file again. The
// store's temporary files that runs left beside it go. Raises
// the line list's file errors when the file cannot be loaded or stored; the
// file then keeps its bytes.
void UpdateProductInclude(const std::string& product, const std::string& folder);

// Removes the spaces from the entries of remaining, in place, then rewrites
// every define line before the line "{$I vx.inc}" (any letter case) of the
// file at path: active when its symbol is among remaining (caseless under the
// user's locale), else commented out. Stores the file with CR LF line breaks
// also when nothing changed.
void RewriteDefineLines(const std::string& path, platform::LineList& remaining);

}  // namespace registration
