#include "uninstall/removal_batch.h"

#include "platform/path_text.h"

namespace uninstall {
namespace {

// A path as a batch file's quoted argument: "%%" stands for one "%" there.
// No trail byte of a double-byte code page is 0x25, so every such byte is a
// "%" of its own.
std::string BatchArgument(const std::string& path) {
  std::string text;
  text.reserve(path.size());
  for (const char c : path) {
    text += c;
    if (c == '%') text += '%';
  }
  return platform::QuoteText(text, '"');
}

}  // namespace

std::vector<std::string> RemovalBatchLines(const std::string& programPath, const std::string& batchPath) {
  const std::string program = BatchArgument(programPath);
  return {":Repeat", "del " + program, "del " + program + " /aH", "if exist " + program + " goto Repeat",
          "del " + BatchArgument(batchPath)};
}

}  // namespace uninstall
