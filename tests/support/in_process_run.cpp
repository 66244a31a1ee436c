#include "tests/support/in_process_run.h"

#include <atomic>
#include <cstring>

#include "platform/failure_report.h"
#include "platform/run_log.h"
#include "platform/unique_handle.h"
#include "tests/support/import_swap.h"
#include "ui/res_dialog.h"
#include "uninstall/uninstall_run.h"

namespace testing_support {
namespace {

std::string g_commandLine;
std::string g_programPath;
decltype(&GetModuleFileNameA) g_realModuleFileName = nullptr;

LPSTR WINAPI CommandLineOfTheRun() { return &g_commandLine[0]; }

// The program's own module is the program file of the run.
DWORD WINAPI ModuleFileNameOfTheRun(HMODULE module, LPSTR buffer, DWORD size) {
  if (module) return g_realModuleFileName(module, buffer, size);
  const DWORD length = static_cast<DWORD>(g_programPath.size()) < size ? static_cast<DWORD>(g_programPath.size()) : size;
  std::memcpy(buffer, g_programPath.c_str(), length);
  if (length < size) buffer[length] = '\0';
  return length;
}

struct Answering {
  const std::map<std::string, int>* answers;
  std::vector<SeenBox> boxes;
  std::atomic<bool> stop{false};
  static DWORD WINAPI Loop(void* param) {
    auto* self = static_cast<Answering*>(param);
    while (!self->stop) {
      AnswerBoxOf(GetCurrentProcessId(), *self->answers, self->boxes);
      Sleep(10);
    }
    return 0;
  }
};

DWORD WINAPI EntryThread(void*) { return static_cast<DWORD>(platform::RunProgram(&uninstall::UninstallEntry)); }

int RunEntryOnThreadOfItsOwn() {
  const platform::UniqueKernelObject entry(CreateThread(nullptr, 0, &EntryThread, nullptr, 0, nullptr));
  DWORD exitCode = 1;
  if (entry.IsValid() && WaitForSingleObject(entry.Get(), INFINITE) == WAIT_OBJECT_0) GetExitCodeThread(entry.Get(), &exitCode);
  // A thread that ended from within never unregistered its dialogs.
  ui::LiveDialogs().clear();
  return static_cast<int>(exitCode);
}

}  // namespace

EntryOutcome RunEntryInProcess(const std::string& programPath, const std::string& arguments,
                               const std::map<std::string, int>& answers, bool threadOfItsOwn) {
  g_commandLine = "\"" + programPath + "\"" + arguments;
  g_programPath = programPath;
  ImportSwap commandLine("kernel32.dll", "GetCommandLineA", reinterpret_cast<const void*>(&CommandLineOfTheRun));
  ImportSwap moduleName("kernel32.dll", "GetModuleFileNameA", reinterpret_cast<const void*>(&ModuleFileNameOfTheRun));
  g_realModuleFileName = reinterpret_cast<decltype(&GetModuleFileNameA)>(moduleName.Original());
  Answering answering;
  answering.answers = &answers;
  EntryOutcome outcome;
  {
    const platform::UniqueKernelObject thread(CreateThread(nullptr, 0, &Answering::Loop, &answering, 0, nullptr));
    outcome.exitCode = threadOfItsOwn ? RunEntryOnThreadOfItsOwn() : platform::RunProgram(&uninstall::UninstallEntry);
    platform::CloseRunLog();  // the program's end would close it
    answering.stop = true;
    if (thread.IsValid()) WaitForSingleObject(thread.Get(), INFINITE);
  }
  outcome.boxes = std::move(answering.boxes);  // no allocation: memory may be running out
  return outcome;
}

}  // namespace testing_support
