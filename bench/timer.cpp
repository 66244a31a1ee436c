// Times one uninstall run from the start of its process to the end of its
// work, and prints the seconds, how the program file went, the exit code and
// the seconds until the process ended:
//
//   bench_timer <caption> <command line> [<program file> <batch file>]
//
// <caption>: a message box of the started process with that caption is
// answered with Yes ("-": the run shows none). With the two paths the run
// ends when both are gone: the program file deleted directly or by the batch
// file, which then deletes itself. A run that leaves its program file and
// writes no batch file ends with its process; one whose files are still
// there a minute after it ended is reported as stuck.
#include <windows.h>

#include <cstdio>
#include <string>

#include "platform/unique_handle.h"

namespace {

bool Exists(const char* path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

// Polls for the box every millisecond while the process runs.
void AnswerYes(const PROCESS_INFORMATION& process, const char* caption) {
  while (WaitForSingleObject(process.hProcess, 1) == WAIT_TIMEOUT) {
    HWND box = FindWindowA("#32770", caption);
    DWORD owner = 0;
    if (box) GetWindowThreadProcessId(box, &owner);
    if (owner == process.dwProcessId) {
      PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED), 0);
      return;
    }
  }
}

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 && argc != 5) {
    (void)std::fprintf(stderr, "usage: bench_timer <caption|-> <command line> [<program file> <batch file>]\n");
    return 2;
  }
  std::string commandLine = argv[2];
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  platform::UniqueProcessInformation started;
  LARGE_INTEGER start;
  LARGE_INTEGER exited;
  LARGE_INTEGER end;
  QueryPerformanceCounter(&start);
  // Detached, as Windows starts an uninstaller: whatever it starts in turn
  // (the batch file) gets a console of its own instead of this one.
  if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr, nullptr, &startup,
                      started.Receive())) {
    (void)std::fprintf(stderr, "bench_timer: cannot start %s (%lu)\n", argv[2], GetLastError());
    return 1;
  }
  const PROCESS_INFORMATION& process = started.Get();
  if (std::string(argv[1]) != "-") AnswerYes(process, argv[1]);
  WaitForSingleObject(process.hProcess, INFINITE);
  QueryPerformanceCounter(&exited);
  end = exited;
  DWORD exitCode = 0;
  GetExitCodeProcess(process.hProcess, &exitCode);
  started.Reset();

  const char* removal = "none";
  if (argc == 5 && (!Exists(argv[3]) || Exists(argv[4]))) {
    removal = Exists(argv[4]) ? "batch" : "direct";
    // A batch file that cannot delete the program would loop for ever.
    const DWORD limit = GetTickCount() + 60000;
    while ((Exists(argv[3]) || Exists(argv[4])) && GetTickCount() < limit) Sleep(1);
    if (Exists(argv[3]) || Exists(argv[4])) removal = "stuck";
    QueryPerformanceCounter(&end);
  }
  std::printf("%.3f %s %lu %.3f\n", Seconds(start, end), removal, exitCode, Seconds(start, exited));
  return 0;
}
