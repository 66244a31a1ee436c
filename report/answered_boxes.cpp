#include "report/answered_boxes.h"

#include "platform/unique_handle.h"

namespace report {
namespace {

struct Search {
  DWORD processId;
  const char* caption;  // any when null
  HWND found;
};

// A message box is a dialog-class window with the static text id 0xFFFF.
BOOL CALLBACK FindBoxOfProcess(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);  // NOLINT(performance-no-int-to-ptr): EnumWindows passes it so
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  char className[32] = {};
  GetClassNameA(window, className, sizeof className);
  char caption[256] = {};
  GetWindowTextA(window, caption, sizeof caption);
  if (owner == search->processId && std::string(className) == "#32770" && IsWindowVisible(window) &&
      GetDlgItem(window, 0xFFFF) && (!search->caption || search->caption == std::string(caption))) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}


HICON IconOf(HWND box) {
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON && IsWindowVisible(child))
      // NOLINTNEXTLINE(performance-no-int-to-ptr): the control answers with its icon's handle.
      return reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
  return nullptr;
}

struct OtherWindows {
  HWND box;
  DWORD processId;
  std::vector<OtherWindow> windows;
};

BOOL CALLBACK CollectOtherWindow(HWND window, LPARAM param) {
  auto* other = reinterpret_cast<OtherWindows*>(param);  // NOLINT(performance-no-int-to-ptr): EnumWindows passes it so
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (window != other->box && owner == other->processId && IsWindowVisible(window)) {
    char title[256] = {};
    GetWindowTextA(window, title, sizeof title);
    other->windows.push_back({title, IsWindowEnabled(window) != FALSE});
  }
  return TRUE;
}

// The first visible top-level window of a process other than this one.
BOOL CALLBACK FindShownWindow(HWND window, LPARAM param) {
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == GetCurrentProcessId() || !IsWindowVisible(window)) return TRUE;
  *reinterpret_cast<HWND*>(param) = window;  // NOLINT(performance-no-int-to-ptr): EnumWindows passes it so
  return FALSE;
}

// Answers the box that tells (OK alone) and returns true; false, with what
// it shows, at a window that waits for a person; true when none is shown.
bool AnswerUnattended(RecordedRun& run) {
  HWND window = nullptr;
  EnumWindows(&FindShownWindow, reinterpret_cast<LPARAM>(&window));
  if (!window) return true;
  SeenBox seen = ReadMessageBox(window);
  char className[32] = {};
  GetClassNameA(window, className, sizeof className);
  if (std::string(className) == "#32770" && GetDlgItem(window, 0xFFFF) && seen.buttons == std::vector<int>{IDOK}) {
    run.boxes.push_back(seen);
    PressAndWaitGone(window, IDOK);
    return true;
  }
  run.waitedFor = seen.caption + (seen.text.empty() ? "" : ": " + seen.text);
  return false;
}

}  // namespace

HWND FindMessageBox(DWORD processId, const char* caption) {
  Search search{processId, caption, nullptr};
  EnumWindows(&FindBoxOfProcess, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

SeenBox ReadMessageBox(HWND box) {
  SeenBox seen;
  char text[8192] = {};
  GetWindowTextA(box, text, sizeof text);
  seen.caption = text;
  text[0] = '\0';
  GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
  seen.text = text;
  for (int id = IDOK; id <= IDCONTINUE; ++id)
    if (GetDlgItem(box, id)) seen.buttons.push_back(id);
  seen.icon = IconOf(box);
  OtherWindows other{box, 0, {}};
  GetWindowThreadProcessId(box, &other.processId);
  EnumWindows(&CollectOtherWindow, reinterpret_cast<LPARAM>(&other));
  seen.otherWindows = other.windows;
  return seen;
}

void PressAndWaitGone(HWND box, int button) {
  PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
  for (int i = 0; i < 500 && IsWindow(box); ++i) Sleep(10);
}

RecordedRun RunRecordingBoxes(const std::string& commandLine, const std::map<std::string, int>& answers,
                              Answering answering, DWORD timeoutMs) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  std::string line = commandLine;
  RecordedRun run;
  if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
    run.startError = GetLastError();
    return run;
  }
  run.started = true;
  platform::UniqueKernelObject process(info.hProcess);
  platform::UniqueKernelObject thread(info.hThread);
  const DWORD start = GetTickCount();
  HWND lastSeen = nullptr;  // a box left to a person is read once
  while (WaitForSingleObject(process.Get(), 20) == WAIT_TIMEOUT) {
    if (GetTickCount() - start > timeoutMs) {
      TerminateProcess(process.Get(), 0xDEAD);
      break;
    }
    if (answering == Answering::Unattended) {
      if (!AnswerUnattended(run)) {
        TerminateProcess(process.Get(), 0xDEAD);
        break;
      }
    } else if (answering == Answering::Mapped) {
      AnswerBoxOf(info.dwProcessId, answers, run.boxes);
    } else if (HWND box = FindMessageBox(info.dwProcessId)) {
      if (box != lastSeen) run.boxes.push_back(ReadMessageBox(box));
      lastSeen = box;
    } else {
      lastSeen = nullptr;
    }
  }
  WaitForSingleObject(process.Get(), INFINITE);
  GetExitCodeProcess(process.Get(), &run.exitCode);
  return run;
}

std::vector<SeenBox> RunAndAnswer(const std::string& commandLine,
                                  const std::map<std::string, int>& answers, DWORD* exitCode,
                                  DWORD timeoutMs) {
  RecordedRun run = RunRecordingBoxes(commandLine, answers, Answering::Mapped, timeoutMs);
  *exitCode = run.exitCode;
  return std::move(run.boxes);
}

void AnswerBoxOf(DWORD processId, const std::map<std::string, int>& answers, std::vector<SeenBox>& boxes) {
  if (HWND box = FindMessageBox(processId)) {
    boxes.push_back(ReadMessageBox(box));
    auto answer = answers.find(boxes.back().caption);
    PressAndWaitGone(box, answer == answers.end() ? IDOK : answer->second);
  }
}

}  // namespace report
