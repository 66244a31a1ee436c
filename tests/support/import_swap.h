// Swaps the entry of one Win32 function in this test program's own import
// table for a stand-in, for the lifetime of the object: the way to make calls
// fail that Wine never fails (writes refused, keys denied to root).
#pragma once
#include <windows.h>

namespace testing_support {

class ImportSwap {
 public:
  // dll: e.g. "kernel32.dll"; function: e.g. "WriteFile". Throws nothing;
  // Swapped() tells whether the entry was found.
  ImportSwap(const char* dll, const char* function, const void* standIn);
  ~ImportSwap();
  ImportSwap(const ImportSwap&) = delete;
  ImportSwap& operator=(const ImportSwap&) = delete;
  bool Swapped() const { return slot_ != nullptr; }
  const void* Original() const { return original_; }

 private:
  void** slot_ = nullptr;
  void* original_ = nullptr;
};

}  // namespace testing_support
