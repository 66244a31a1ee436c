#include "tests/support/window_watch.h"

#include <algorithm>

#include "platform/unique_handle.h"

namespace testing_support {

WindowWatch::WindowWatch(DWORD processId) : processId_(processId) {
  thread_ = CreateThread(nullptr, 0, &WindowWatch::Watch, this, 0, nullptr);
}

WindowWatch::~WindowWatch() { Seen(); }

std::vector<std::string> WindowWatch::Seen() {
  if (thread_) {
    InterlockedExchange(&stop_, 1);
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
    thread_ = nullptr;
  }
  return titles_;
}

DWORD WINAPI WindowWatch::Watch(void* param) {
  auto* self = static_cast<WindowWatch*>(param);
  while (!self->stop_) {
    EnumWindows(&WindowWatch::Look, reinterpret_cast<LPARAM>(self));
    Sleep(1);
  }
  return 0;
}

BOOL CALLBACK WindowWatch::Look(HWND window, LPARAM param) {
  auto* self = reinterpret_cast<WindowWatch*>(param);  // NOLINT(performance-no-int-to-ptr): EnumWindows passes it so
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != self->processId_ || !IsWindowVisible(window) ||
      std::find(self->windows_.begin(), self->windows_.end(), window) != self->windows_.end())
    return TRUE;
  char title[256] = {};
  GetWindowTextA(window, title, sizeof title);
  self->windows_.push_back(window);
  self->titles_.push_back(title);
  return TRUE;
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
  WindowWatch watch(created.Get().dwProcessId);
  ResumeThread(created.Get().hThread);
  if (WaitForSingleObject(created.Get().hProcess, timeoutMs) == WAIT_TIMEOUT) TerminateProcess(created.Get().hProcess, 0xDEAD);
  WaitForSingleObject(created.Get().hProcess, INFINITE);
  GetExitCodeProcess(created.Get().hProcess, exitCode);
  return watch.Seen();
}

}  // namespace testing_support
