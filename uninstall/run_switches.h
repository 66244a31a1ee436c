// The switches that may follow the key name on the command line, for a run
// that a deployment tool starts: a quiet run and its log.
#pragma once
#include <string>

namespace uninstall {

struct RunSwitches {
  bool quiet = false;    // "/S": no confirmation, no progress dialog, no failure box
  bool log = false;      // "/LOG" or "/LOG=FILE"; always on in a quiet run
  std::string logPath;   // FILE of "/LOG=FILE"; empty: the default place
};

// The switches among the words after the key name (word 2 on), compared
// without regard to the case of a to z: "/S" and "/LOG", the last "/LOG" or
// "/LOG=FILE" deciding the log's place. Every other word is ignored, as it
// always was. "/LOG=" with no file counts as "/LOG".
RunSwitches ReadRunSwitches(const char* commandLine);

}  // namespace uninstall
