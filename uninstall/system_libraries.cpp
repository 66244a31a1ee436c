#include "uninstall/system_libraries.h"

#include <string>

#include "platform/bound_function.h"
#include "setup/path_helpers.h"

namespace uninstall {

void RestrictDllSearch() {
  if (const auto setDefault = platform::KernelFunction<decltype(&SetDefaultDllDirectories)>("SetDefaultDllDirectories"))
    setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (const auto setDirectory = platform::KernelFunction<decltype(&SetDllDirectoryA)>("SetDllDirectoryA"))
    setDirectory("");
}

HMODULE LoadSystemLibrary(const char* name) {
  char folder[MAX_PATH];
  const UINT length = GetSystemDirectoryA(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  return LoadLibraryA((setup::AddTrailingBackslash(std::string(folder, length)) + name).c_str());
}

}  // namespace uninstall
