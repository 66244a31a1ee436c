#include "uninstall/removal_batch.h"

#include "setup/path_text.h"

namespace uninstall {

std::vector<std::string> RemovalBatchLines(const std::string& programPath, const std::string& batchPath) {
  const std::string program = setup::QuoteText(programPath, '"');
  return {":Repeat", "del " + program, "del " + program + " /aH", "if exist " + program + " goto Repeat",
          "del " + setup::QuoteText(batchPath, '"')};
}

}  // namespace uninstall
