// Move-only owner of exactly one Win32 handle; the traits say what "no handle"
// is and how the handle is released.
#pragma once
#include <windows.h>

namespace platform {

template <typename Traits>
class UniqueHandle {
 public:
  using Type = typename Traits::Type;

  UniqueHandle() noexcept : value_(Traits::Invalid()) {}
  explicit UniqueHandle(Type value) noexcept : value_(value) {}
  ~UniqueHandle() { Reset(); }
  UniqueHandle(UniqueHandle&& other) noexcept : value_(other.Release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  Type Get() const noexcept { return value_; }
  bool IsValid() const noexcept { return value_ != Traits::Invalid(); }
  // Gives up ownership without releasing.
  Type Release() noexcept {
    Type value = value_;
    value_ = Traits::Invalid();
    return value;
  }
  // Releases the held handle (if any) and takes value.
  void Reset(Type value = Traits::Invalid()) noexcept {
    if (IsValid()) Traits::Close(value_);
    value_ = value;
  }
  // For out-parameters: releases the held handle and exposes the slot.
  Type* Receive() noexcept {
    Reset();
    return &value_;
  }

 private:
  Type value_;
};

struct RegKeyTraits {
  using Type = HKEY;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type key) noexcept { RegCloseKey(key); }
};
struct FileTraits {
  using Type = HANDLE;
  static Type Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void Close(Type file) noexcept { CloseHandle(file); }
};
struct FindTraits {
  using Type = HANDLE;
  static Type Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void Close(Type find) noexcept { FindClose(find); }
};
struct KernelObjectTraits {
  using Type = HANDLE;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type object) noexcept { CloseHandle(object); }
};

// The process and thread handles that CreateProcessA fills in, closed
// together.
class UniqueProcessInformation {
 public:
  UniqueProcessInformation() noexcept = default;
  ~UniqueProcessInformation() { Reset(); }
  UniqueProcessInformation(const UniqueProcessInformation&) = delete;
  UniqueProcessInformation& operator=(const UniqueProcessInformation&) = delete;

  const PROCESS_INFORMATION& Get() const noexcept { return info_; }
  // For CreateProcessA's out-parameter: releases the held handles and exposes the record.
  PROCESS_INFORMATION* Receive() noexcept {
    Reset();
    return &info_;
  }
  void Reset() noexcept {
    if (info_.hThread) CloseHandle(info_.hThread);
    if (info_.hProcess) CloseHandle(info_.hProcess);
    info_ = PROCESS_INFORMATION{};
  }

 private:
  PROCESS_INFORMATION info_{};
};

using UniqueRegKey = UniqueHandle<RegKeyTraits>;
using UniqueFile = UniqueHandle<FileTraits>;
using UniqueFind = UniqueHandle<FindTraits>;
using UniqueKernelObject = UniqueHandle<KernelObjectTraits>;

}  // namespace platform
