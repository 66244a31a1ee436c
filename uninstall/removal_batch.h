// The text of "$delme.bat", the batch file that removes the program file
// once the program has ended, and then itself.
#pragma once
#include <string>
#include <vector>

namespace uninstall {

// The five lines, each to be followed by CR LF: a loop deleting the program
// file as an ordinary and as a hidden file until it is gone, then the batch
// file's own deletion. Both paths are quoted, each "%" in them doubled (the
// command interpreter expands "%" even inside quotes). The paths are given as
// the command interpreter reads them: in the OEM code page.
std::vector<std::string> RemovalBatchLines(const std::string& programPath, const std::string& batchPath);

}  // namespace uninstall
