// Swaps the entry of one Win32 function in this test program's own import
// table for a stand-in, for the lifetime of the object: the way to make calls
// fail that Wine never fails (writes refused, keys denied to root).
#pragma once
#include <windows.h>

#include <functional>

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

// Swaps the function for one that calls it unchanged, with watchers that see
// the arguments just before and just after the call: for recording calls or
// acting in the middle of the code under test. One spy per function at a time.
template <typename Function>
class Spy;

template <typename Result, typename... Args>
class Spy<Result(WINAPI*)(Args...)> {
 public:
  using Watcher = std::function<void(Args...)>;
  Spy(const char* dll, const char* function, Watcher before, Watcher after = nullptr)
      : swap_(dll, function, reinterpret_cast<const void*>(&Call)) {
    original_ = swap_.Original();
    before_ = std::move(before);
    after_ = std::move(after);
  }
  ~Spy() { before_ = after_ = nullptr; }
  bool Swapped() const { return swap_.Swapped(); }

 private:
  static Result WINAPI Call(Args... args) {
    if (before_) before_(args...);
    const Result result = reinterpret_cast<Result(WINAPI*)(Args...)>(const_cast<void*>(original_))(args...);
    if (after_) after_(args...);
    return result;
  }
  static inline const void* original_ = nullptr;
  static inline Watcher before_, after_;
  ImportSwap swap_;
};

}  // namespace testing_support
