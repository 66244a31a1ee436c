// Any two non-empty paths (a file name holds neither CR, LF, NUL nor a double
// quote): the batch text has its five lines, and each path, cut from its line
// as the command processor's argument, comes back whole.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/text_lines.h"
#include "uninstall/command_words.h"
#include "uninstall/removal_batch.h"

using uninstall::WordOfCommandLine;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string paths;
  for (std::size_t i = 0; i < size; ++i)
    if (data[i] != '\r' && data[i] != '\n' && data[i] != '"') paths += static_cast<char>(data[i]);
  const std::size_t nul = paths.find('\0');
  if (nul == std::string::npos) return 0;
  const std::string program = paths.substr(0, nul);
  const std::string batch = paths.substr(nul + 1, paths.find('\0', nul + 1) - nul - 1);
  if (program.empty() || batch.empty()) return 0;

  const std::vector<std::string> lines = uninstall::RemovalBatchLines(program, batch);
  const std::string text = platform::JoinLines(lines);
  if (lines.size() != 5 || platform::SplitLines(text.data(), text.size()) != lines) std::abort();
  if (WordOfCommandLine(lines[1].c_str(), 1) != program || WordOfCommandLine(lines[2].c_str(), 1) != program ||
      WordOfCommandLine(lines[2].c_str(), 2) != "/aH" || WordOfCommandLine(lines[3].c_str(), 2) != program ||
      WordOfCommandLine(lines[3].c_str(), 3) != "goto" || WordOfCommandLine(lines[4].c_str(), 1) != batch)
    std::abort();
  return 0;
}
