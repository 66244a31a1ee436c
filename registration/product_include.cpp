#include "registration/product_include.h"

#include <algorithm>

#include "registration/define_line.h"
#include "registration/installed_products.h"
#include "setup/path_helpers.h"

namespace registration {
namespace {

// Sub-product names may hold spaces; the compiler symbols made of them do not.
std::string WithoutSpaces(std::string name) {
  name.erase(std::remove(name.begin(), name.end(), ' '), name.end());
  return name;
}

}  // namespace

std::string ProductIncludePath(const std::string& folder) {
  return setup::AddTrailingBackslash(folder) + "units\\prod.inc";
}

void UpdateProductInclude(const std::string& product, const std::string& folder) {
  if (folder.empty()) return;
  const std::string path = ProductIncludePath(folder);
  if (!setup::FileIsPresent(path)) return;
  platform::LineList remaining;
  ListRemainingSubProducts(product, remaining);
  RewriteDefineLines(path, remaining);
}

void RewriteDefineLines(const std::string& path, platform::LineList& remaining) {
  for (int i = 0; i < remaining.LineCount(); ++i) remaining.ReplaceLine(i, WithoutSpaces(std::string(remaining.LineAt(i))));
  const auto isRemaining = [&remaining](const std::string& symbol) { return remaining.FindLine(symbol) != -1; };
  platform::LineList lines;
  lines.LoadLines(path);
  for (int i = 0; i < lines.LineCount(); ++i) {
    const std::string line(lines.LineAt(i));
    if (IsDefineRegionEnd(line)) break;
    if (const auto rewritten = RewriteDefineLine(line, isRemaining)) lines.ReplaceLine(i, *rewritten);
  }
  lines.StoreLines(path);
}

}  // namespace registration
