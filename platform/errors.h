// The system's typed errors. They are raised by the Raise functions below
// only and caught only at the top level, where ReportFailure shows them.
#pragma once
#include <windows.h>

#include <cstddef>
#include <new>
#include <string>

namespace platform {

class Exception {
 public:
  Exception(const char* kindName, std::string message, const void* location)
      : kindName_(kindName), message_(std::move(message)), location_(location) {}
  virtual ~Exception() = default;
  const char* KindName() const noexcept { return kindName_; }
  const std::string& Message() const noexcept { return message_; }
  // The raise site: an address inside the program's module.
  const void* Location() const noexcept { return location_; }

 private:
  const char* kindName_;
  std::string message_;
  const void* location_;
};

// NOLINTBEGIN(bugprone-macro-parentheses): Name is a class name, which no parentheses can enclose.
#define PLATFORM_ERROR_KIND(Name)                                             \
  class Name : public Exception {                                             \
   public:                                                                    \
    Name(std::string message, const void* location)                           \
        : Exception(#Name, std::move(message), location) {}                   \
  }
// NOLINTEND(bugprone-macro-parentheses)
PLATFORM_ERROR_KIND(EOutOfMemory);
PLATFORM_ERROR_KIND(ERegistryException);
PLATFORM_ERROR_KIND(EFOpenError);
PLATFORM_ERROR_KIND(EFCreateError);
PLATFORM_ERROR_KIND(EWriteError);
PLATFORM_ERROR_KIND(EStringListError);
#undef PLATFORM_ERROR_KIND

class EInOutError : public Exception {
 public:
  EInOutError(std::string message, DWORD code, const void* location)
      : Exception("EInOutError", std::move(message), location), code_(code) {}
  DWORD Code() const noexcept { return code_; }

 private:
  DWORD code_;
};

// What operator new throws when memory runs out: a std::bad_alloc that knows
// where the allocation was asked for.
class OutOfMemoryRaise : public std::bad_alloc {
 public:
  explicit OutOfMemoryRaise(const void* location) noexcept : location_(location) {}
  const void* Location() const noexcept { return location_; }

 private:
  const void* location_;
};

enum class ErrorKind { Registry, FOpen, FCreate, Write, StringList, InOut };

// Raises the error of that kind. Its message is string-table entry messageId
// with text (or number) in place of the placeholder; for InOut the message is
// chosen by the operating-system code given as number. The code location is
// this call's return address: the raise site.
[[noreturn]] void RaiseError(ErrorKind kind, UINT messageId, const std::string& text = {},
                             long number = 0);
[[noreturn]] void RaiseInOutError(DWORD code);
// Raises the one out-of-memory error, at this call's return address, for a
// system call that found no memory for its work.
[[noreturn]] void RaiseOutOfMemory();

// I/O codes of failures that no system error code names, each with its text.
constexpr DWORD kReadBeyondEndOfFile = 100;
constexpr DWORD kDiskFull = 101;  // a write that stored fewer bytes than asked
constexpr DWORD kInvalidNumericInput = 106;

// The one out-of-memory error, made with its message before the entry point.
const EOutOfMemory& OutOfMemoryError() noexcept;

// String-table entry id of the program's module (empty when absent).
std::string LoadResourceText(UINT id);
// The same entry into buffer, cut to size - 1 characters and ended by a NUL;
// gives its length (0 when absent). Needs no memory, for failure reporting.
std::size_t LoadResourceTextInto(UINT id, char* buffer, int size) noexcept;

}  // namespace platform
