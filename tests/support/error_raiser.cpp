// Starts like the uninstaller and raises the error named by its argument, so
// that the tests can read the box that the user would see.
#include <windows.h>

#include <cstring>
#include <new>
#include <string>

#include "platform/errors.h"
#include "platform/failure_report.h"
#include "platform/line_list.h"
#include "platform/string_ids.h"
#include "uninstall/command_words.h"

using namespace platform;

namespace {

std::string Mode() { return uninstall::WordOfCommandLine(GetCommandLineA(), 1); }

// A failure in a static initialiser: before reporting is in place.
struct FailsWhileStarting {
  FailsWhileStarting() {
    if (std::strstr(GetCommandLineA(), "static-init")) RaiseError(ErrorKind::Write, IDS_STREAM_WRITE_ERROR);
  }
} g_startFailure;

// A failure in a static destructor: after reporting is withdrawn.
struct FailsWhileEnding {
  ~FailsWhileEnding() {
    if (std::strstr(GetCommandLineA(), "static-exit")) RaiseError(ErrorKind::Write, IDS_STREAM_WRITE_ERROR);
  }
} g_endFailure;

void Raise() {
  const std::string mode = Mode();
  if (mode == "registry") RaiseError(ErrorKind::Registry, IDS_INVALID_DATA_TYPE, "RootDir");
  if (mode == "fopen") RaiseError(ErrorKind::FOpen, IDS_CANNOT_OPEN_FILE, "C:\\x\\a.cnt");
  if (mode == "fcreate") RaiseError(ErrorKind::FCreate, IDS_CANNOT_CREATE_FILE, "C:\\x\\a.cnt");
  if (mode == "write") RaiseError(ErrorKind::Write, IDS_STREAM_WRITE_ERROR);
  if (mode == "index") LineList().LineAt(-1);
  if (mode == "inout5") RaiseInOutError(5);
  if (mode == "inout32") RaiseInOutError(32);
  if (mode == "length") std::string().reserve(std::string().max_size() + 1);
  if (mode == "range") static_cast<void>(std::string().substr(1));
  if (mode == "memory") {
    volatile std::size_t huge = static_cast<std::size_t>(-1) / 2;
    ::operator delete(::operator new(huge));  // meant to fail; were it given, it goes back
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return RunProgram([] {
  Raise();
  return 0;
}); }
