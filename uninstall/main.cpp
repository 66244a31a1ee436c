#include <windows.h>

#include "platform/failure_report.h"
#include "uninstall/uninstall_run.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  return platform::RunProgram(&uninstall::UninstallEntry);
}
