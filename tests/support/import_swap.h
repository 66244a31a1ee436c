// Swaps the entry of one Win32 function in this test program's own import
// table for a stand-in, for the lifetime of the object: the way to make calls
// fail that Wine never fails (writes refused, keys denied to root).
#pragma once
#include <windows.h>

#include <cstddef>
#include <functional>
#include <stdexcept>
#include <utility>

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
  void* Original() const { return original_; }

 private:
  void** slot_ = nullptr;
  void* original_ = nullptr;
};

// A stand-in for RegSetValueExA that refuses every write, as a key denied to the user would.
inline LONG WINAPI RefusedRegistryWrite(HKEY, LPCSTR, DWORD, DWORD, const BYTE*, DWORD) { return ERROR_ACCESS_DENIED; }

// Swaps the function for one that calls it unchanged, with watchers that see
// the arguments just before and just after the call: for recording calls or
// acting in the middle of the code under test. Each spy takes a stand-in of
// its own from a small table per signature, so that spies of functions with
// the same signature (DeleteFileA, RemoveDirectoryA) can live at once.
template <typename Function>
class Spy;

template <typename Result, typename... Args>
class Spy<Result(WINAPI*)(Args...)> {
 public:
  using Watcher = std::function<void(Args...)>;
  // Throws std::length_error when every stand-in of the signature is taken.
  Spy(const char* dll, const char* function, Watcher before, Watcher after = nullptr)
      : before_(std::move(before)), after_(std::move(after)), seat_(this),
        swap_(dll, function, StandIn(seat_.index, std::make_index_sequence<kStandIns>())) {}
  bool Swapped() const { return swap_.Swapped(); }

 private:
  using Original = Result(WINAPI*)(Args...);
  static constexpr std::size_t kStandIns = 4;
  // The spy's stand-in, free again once the import is back.
  struct Seat {
    explicit Seat(Spy* spy) {
      while (spies_[index])
        if (++index == kStandIns) throw std::length_error("more spies of one signature at once than stand-ins");
      spies_[index] = spy;
    }
    ~Seat() { spies_[index] = nullptr; }
    std::size_t index = 0;
  };
  template <std::size_t... I>
  static const void* StandIn(std::size_t index, std::index_sequence<I...>) {
    const Original standIns[] = {&Call<I>...};
    return reinterpret_cast<const void*>(standIns[index]);
  }
  template <std::size_t I>
  static Result WINAPI Call(Args... args) {
    const Spy& spy = *spies_[I];
    if (spy.before_) spy.before_(args...);
    const Result result = reinterpret_cast<Original>(spy.swap_.Original())(args...);
    if (spy.after_) spy.after_(args...);
    return result;
  }
  static inline Spy* spies_[kStandIns] = {};
  Watcher before_, after_;
  Seat seat_;
  ImportSwap swap_;
};

}  // namespace testing_support
