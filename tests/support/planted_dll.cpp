// A DLL that someone who can write the program's folder puts beside it, built
// under the name of a system DLL: when the loader runs it, it leaves
// "<its own path>.ran" as its mark and refuses to stay loaded.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  char mark[MAX_PATH + 8] = {};
  const DWORD length = GetModuleFileNameA(instance, mark, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return FALSE;
  const char suffix[] = ".ran";
  for (DWORD i = 0; i < sizeof suffix; ++i) mark[length + i] = suffix[i];
  HANDLE file = CreateFileA(mark, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  return FALSE;
}
