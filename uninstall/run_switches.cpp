#include "uninstall/run_switches.h"

#include "platform/text_lines.h"
#include "uninstall/command_words.h"

namespace uninstall {
namespace {

bool IsWord(const std::string& word, const char* name) { return platform::CaselessCompareAscii(word, name) == 0; }

}  // namespace

RunSwitches ReadRunSwitches(const char* commandLine) {
  RunSwitches switches;
  const char* cursor = commandLine;
  CutWord(cursor);  // the program
  CutWord(cursor);  // the key name
  for (std::string word = CutWord(cursor); !word.empty(); word = CutWord(cursor)) {
    if (IsWord(word, "/S")) {
      switches.quiet = true;
    } else if (IsWord(word, "/LOG")) {
      switches.log = true;
      switches.logPath.clear();
    } else if (word.size() >= 5 && IsWord(word.substr(0, 5), "/LOG=")) {
      switches.log = true;
      switches.logPath = word.substr(5);
    }
  }
  switches.log = switches.log || switches.quiet;
  return switches;
}

}  // namespace uninstall
