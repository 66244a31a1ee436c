// Runs the uninstaller's entry point inside the test program, as if Windows
// had started the program file programPath with arguments: so that a test can
// swap imports of its own for failing stand-ins while the whole run goes on.
#pragma once
#include <map>
#include <string>
#include <vector>

#include "tests/support/boxes.h"

namespace testing_support {

struct EntryOutcome {
  std::vector<SeenBox> boxes;  // in the order shown
  int exitCode;
};

// Every box is answered with the button mapped to its caption (IDOK when not
// mapped) from a thread of its own. threadOfItsOwn: the entry runs on a
// thread of its own, so that a stand-in may end the run from outside
// (ExitThread: nothing unwinds, nothing more is written); the exit code is
// then the thread's, and the thread's dialogs went with it.
EntryOutcome RunEntryInProcess(const std::string& programPath, const std::string& arguments,
                               const std::map<std::string, int>& answers, bool threadOfItsOwn = false);

}  // namespace testing_support
