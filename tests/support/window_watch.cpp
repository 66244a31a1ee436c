#include "tests/support/window_watch.h"

#include <algorithm>
#include <atomic>
#include <thread>

#include "platform/unique_handle.h"

namespace testing_support {
namespace {

struct Watch {
  DWORD processId;
  std::vector<HWND> windows;
  std::vector<std::string> titles;
  static BOOL CALLBACK Look(HWND window, LPARAM param) {
    auto* self = reinterpret_cast<Watch*>(param);  // NOLINT(performance-no-int-to-ptr): EnumWindows passes it so
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == self->processId && IsWindowVisible(window) &&
        std::find(self->windows.begin(), self->windows.end(), window) == self->windows.end()) {
      char title[256] = {};
      GetWindowTextA(window, title, sizeof title);
      self->windows.push_back(window);
      self->titles.emplace_back(title);
    }
    return TRUE;
  }
};

}  // namespace

std::vector<std::string> WindowsShownDuring(DWORD processId, const std::function<void()>& run) {
  Watch watch{processId, {}, {}};
  std::atomic<bool> done{false};
  std::thread looking([&] {
    for (; !done; Sleep(1)) EnumWindows(&Watch::Look, reinterpret_cast<LPARAM>(&watch));
  });
  run();
  done = true;
  looking.join();
  return watch.titles;
}

std::vector<std::string> RunWatchingWindows(const std::string& commandLine, DWORD* exitCode, DWORD timeoutMs) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  platform::UniqueProcessInformation created;
  std::string line = commandLine;
  *exitCode = 0xFFFFFFFF;
  if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr, &startup,
                      created.Receive()))
    return {"<not started>"};
  const PROCESS_INFORMATION& process = created.Get();
  return WindowsShownDuring(process.dwProcessId, [&] {
    ResumeThread(process.hThread);
    if (WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_TIMEOUT) TerminateProcess(process.hProcess, 0xDEAD);
    WaitForSingleObject(process.hProcess, INFINITE);
    GetExitCodeProcess(process.hProcess, exitCode);
  });
}

}  // namespace testing_support
