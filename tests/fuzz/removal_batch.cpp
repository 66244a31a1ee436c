// Any two non-empty paths (a file name holds neither CR, LF, NUL nor a double
// quote): the batch text has its five lines, and each path, cut from its line
// as the command processor's argument and each "%%" read as one "%", comes
// back whole.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/text_lines.h"
#include "uninstall/command_words.h"
#include "uninstall/removal_batch.h"

namespace {

// The word of the line as the batch file gives it to the command: "%%" is one "%".
std::string ArgumentOf(const std::string& line, int index) {
  const std::string word = uninstall::WordOfCommandLine(line.c_str(), index);
  std::string read;
  for (std::size_t i = 0; i < word.size(); ++i) {
    read += word[i];
    if (word[i] == '%' && (++i == word.size() || word[i] != '%')) std::abort();  // a lone "%"
  }
  return read;
}

}  // namespace

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
  if (ArgumentOf(lines[1], 1) != program || ArgumentOf(lines[2], 1) != program ||
      ArgumentOf(lines[2], 2) != "/aH" || ArgumentOf(lines[3], 2) != program ||
      ArgumentOf(lines[3], 3) != "goto" || ArgumentOf(lines[4], 1) != batch)
    std::abort();
  return 0;
}
