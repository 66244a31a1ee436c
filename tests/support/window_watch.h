// The visible top-level windows that a process shows, for runs that must show none.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace testing_support {

// The titles of the windows that the process shows while run runs, each once,
// as seen by a look every millisecond from a thread of its own.
std::vector<std::string> WindowsShownDuring(DWORD processId, const std::function<void()>& run);

// Starts commandLine (suspended until its windows are watched), waits for it
// to end (ending it after timeoutMs) and gives the windows that it showed.
std::vector<std::string> RunWatchingWindows(const std::string& commandLine, DWORD* exitCode, DWORD timeoutMs = 60000);

}  // namespace testing_support
