// Functions that older Windows lack, bound at run time instead of imported,
// so that the program loads on every Windows from 95 on and falls back where
// a function is missing.
#pragma once
#include <windows.h>

namespace platform {

// The function of that name in a loaded module; nullptr when the module is
// null or does not export it.
template <typename Function>
Function ModuleFunction(HMODULE module, const char* name) {
  if (!module) return nullptr;
  const auto bound = reinterpret_cast<void (*)()>(GetProcAddress(module, name));
  return reinterpret_cast<Function>(bound);
}

// A kernel32 function (nullptr where this Windows lacks it): ReplaceFileA
// came with Windows 2000, SetDefaultDllDirectories with Windows 8, and
// Windows 9x has MoveFileExA at most as a stub that fails.
template <typename Function>
Function KernelFunction(const char* name) {
  return ModuleFunction<Function>(GetModuleHandleA("kernel32.dll"), name);
}

}  // namespace platform
