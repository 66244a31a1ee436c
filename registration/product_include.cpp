#include "registration/product_include.h"

#include <algorithm>

#include "registration/define_line.h"
#include "registration/installed_products.h"
#include "platform/interrupted_store.h"
#include "setup/path_helpers.h"

namespace registration {
namespace {

// Sub-product names may hold spaces; the compiler symbols made of them do not.
std::string WithoutSpaces(std::string name) {
  name.erase(std::remove(name.begin(), name.end(), ' '), name.end());
  return name;
}

// The define lines before "{$I vx.inc}" rewritten for remaining, whose
// entries hold no spaces.
void RewriteLoadedDefines(platform::LineList& lines, const platform::LineList& remaining) {
  const auto isRemaining = [&remaining](const std::string& symbol) { return remaining.FindLine(symbol) != -1; };
  for (int i = 0; i < lines.LineCount(); ++i) {
    const std::string line(lines.LineAt(i));
    if (IsDefineRegionEnd(line)) break;
    if (const auto rewritten = RewriteDefineLine(line, isRemaining)) lines.ReplaceLine(i, *rewritten);
  }
}

void RemoveSpaces(platform::LineList& remaining) {
  for (int i = 0; i < remaining.LineCount(); ++i) remaining.ReplaceLine(i, WithoutSpaces(std::string(remaining.LineAt(i))));
}

// The include file missing after a run that was ended while it stored it
// (platform/interrupted_store.h): a text of the store's own beside it whose
// define lines are already as this rewrite makes them is what that run was
// storing, as the sub-products were withdrawn before; it is the file again.
bool TakeBackRewrittenInclude(const std::string& path, platform::LineList& remaining) {
  RemoveSpaces(remaining);
  return platform::TakeBackInterruptedStore(path, [&remaining](const std::string& text) {
    platform::LineList lines;
    lines.AssignText(text);
    RewriteLoadedDefines(lines, remaining);
    return lines.JoinedText() == text;
  });
}

}  // namespace

std::string ProductIncludePath(const std::string& folder) {
  return setup::AddTrailingBackslash(folder) + "units\\prod.inc";
}

void UpdateProductInclude(const std::string& product, const std::string& folder) {
  if (folder.empty()) return;
  const std::string path = ProductIncludePath(folder);
  platform::LineList remaining;
  ListRemainingSubProducts(product, remaining);
  if (!setup::FileIsPresent(path) && !TakeBackRewrittenInclude(path, remaining)) return;
  platform::DeleteLeftTemporaryFiles(path);
  RewriteDefineLines(path, remaining);
}

void RewriteDefineLines(const std::string& path, platform::LineList& remaining) {
  RemoveSpaces(remaining);
  platform::LineList lines;
  lines.LoadLines(path);
  RewriteLoadedDefines(lines, remaining);
  lines.StoreLines(path);
}

}  // namespace registration
