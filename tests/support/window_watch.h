// Every visible top-level window that a process shows, for runs that must
// show none: watched from a thread of its own, every millisecond.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace testing_support {

class WindowWatch {
 public:
  explicit WindowWatch(DWORD processId);
  ~WindowWatch();
  WindowWatch(const WindowWatch&) = delete;
  WindowWatch& operator=(const WindowWatch&) = delete;
  // Stops watching; the titles of the windows seen, each once, in the order seen.
  std::vector<std::string> Seen();

 private:
  static DWORD WINAPI Watch(void* param);
  static BOOL CALLBACK Look(HWND window, LPARAM param);
  DWORD processId_;
  std::vector<HWND> windows_;
  std::vector<std::string> titles_;
  volatile LONG stop_ = 0;
  HANDLE thread_ = nullptr;
};

// Starts commandLine (suspended until its windows are watched), waits for it
// to end (ending it after timeoutMs) and gives the windows that it showed.
std::vector<std::string> RunWatchingWindows(const std::string& commandLine, DWORD* exitCode, DWORD timeoutMs = 60000);

}  // namespace testing_support
