// Keeps the test prefix's desktop open from the wineserver's start to its
// end (scripts/wine-server). Wine's server closes a desktop one second after
// the last program on it has ended, and tells the desktop's explorer to end;
// a program that starts in that moment finds the desktop going and can show
// no window at all. The tests start many short programs one after another,
// each of which must show its boxes: with the keeper on the desktop it is
// never left empty.
//
// Started without arguments, it joins the desktop (so that the desktop's
// explorer, which keeps the standard streams of the program that started
// it, has those of the keeper and holds no test's output open), starts the
// keeper proper ("keep"), waits until that one is on the desktop too, and
// ends: scripts/wine-server goes on once the desktop is kept. The keeper
// proper shows no window and ends with the server.
#include <windows.h>

#include <cstring>
#include <string>

#include "platform/unique_handle.h"

namespace {

constexpr const char* kJoined = "QnlTestDesktopKept";

int Keep() {
  GetDesktopWindow();
  const platform::UniqueKernelObject joined(OpenEventA(EVENT_MODIFY_STATE, FALSE, kJoined));
  if (joined.IsValid()) SetEvent(joined.Get());
  Sleep(INFINITE);
  return 0;
}

int StartKeeper() {
  GetDesktopWindow();
  const platform::UniqueKernelObject joined(CreateEventA(nullptr, TRUE, FALSE, kJoined));
  char program[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, program, MAX_PATH);
  std::string line = "\"" + std::string(program) + "\" keep";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  platform::UniqueProcessInformation started;
  if (!joined.IsValid() || !CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                           &startup, started.Receive()))
    return 1;
  return WaitForSingleObject(joined.Get(), 60000) == WAIT_OBJECT_0 ? 0 : 1;
}

}  // namespace

int WINAPI WinMain(HINSTANCE /*hInstance*/, HINSTANCE /*hPrevInstance*/, LPSTR lpCmdLine, int /*nShowCmd*/) {
  return std::strcmp(lpCmdLine, "keep") == 0 ? Keep() : StartKeeper();
}
