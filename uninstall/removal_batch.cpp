#include "uninstall/removal_batch.h"

#include "platform/path_text.h"

namespace uninstall {

std::vector<std::string> RemovalBatchLines(const std::string& programPath, const std::string& batchPath) {
  const std::string program = platform::QuoteText(programPath, '"');
  return {":Repeat", "del " + program, "del " + program + " /aH", "if exist " + program + " goto Repeat",
          "del " + platform::QuoteText(batchPath, '"')};
}

}  // namespace uninstall
