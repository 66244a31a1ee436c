// Any command line (up to its first NUL): cutting words walks it to its end and
// never past it, only the end gives an empty word, WordOfCommandLine gives the
// same words, and any name without double quotes comes back whole when quoted.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "uninstall/command_words.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const char* const begin = bytes.c_str();
  const char* const end = begin + std::strlen(begin);
  std::vector<std::string> words;
  for (const char* cursor = begin;;) {
    const char* const before = cursor;
    const std::string word = uninstall::CutWord(cursor);
    if (cursor < before || cursor > end || word.size() > static_cast<std::size_t>(cursor - before)) std::abort();
    if (word.empty()) {
      if (cursor != end) std::abort();
      break;
    }
    words.push_back(word);
  }
  for (std::size_t n = 1; n <= words.size() && n <= 4; ++n) {
    const std::string expected = n < words.size() ? words[n] : std::string();
    if (uninstall::WordOfCommandLine(begin, static_cast<int>(n)) != expected) std::abort();
  }
  std::string name(begin, end);
  name.erase(std::remove(name.begin(), name.end(), '"'), name.end());
  if (uninstall::WordOfCommandLine(("uninstall.exe \"" + name + "\"").c_str(), 1) != name) std::abort();
  return 0;
}
