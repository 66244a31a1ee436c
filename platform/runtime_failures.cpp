// The C++ runtime's own failure paths, routed into the program's. Linked into
// every program (the tests keep the runtime's): the runtime's versions would
// bring a demangler, a formatted-output family and a second string
// implementation into a program that shows failures its own way.
#include "platform/errors.h"
#include "platform/failure_report.h"

// The default terminate handler prints the escaping exception's demangled
// type name on a console that the program does not have; the program's own
// terminate path takes its place, also before that path is installed.
namespace __gnu_cxx {
// NOLINTNEXTLINE(bugprone-reserved-identifier): the runtime's own handler, defined in its place.
void __verbose_terminate_handler() { platform::TerminateProgram(); }
}  // namespace __gnu_cxx

namespace {

[[noreturn]] __attribute__((noinline)) void RaiseOutOfMemory(const void* caller) {
  throw platform::OutOfMemoryRaise(caller);
}

}  // namespace

// What the standard library raises when a string or vector would outgrow
// what the program can hold, or on a misuse that the program never makes.
// RunProgram reports every exception that is not a typed error as the
// out-of-memory error, so the library raises that error itself, at the place
// that called it.
// NOLINTBEGIN(bugprone-reserved-identifier, cert-dcl58-cpp, cert-dcl50-cpp): the library's own
// helpers, defined in its place with its signatures, the variadic one included.
namespace std {
#define PLATFORM_RAISES_OUT_OF_MEMORY(name, ...) \
  void name(__VA_ARGS__) { RaiseOutOfMemory(__builtin_return_address(0)); }
PLATFORM_RAISES_OUT_OF_MEMORY(__throw_bad_alloc)
PLATFORM_RAISES_OUT_OF_MEMORY(__throw_bad_array_new_length)
PLATFORM_RAISES_OUT_OF_MEMORY(__throw_bad_cast)
PLATFORM_RAISES_OUT_OF_MEMORY(__throw_bad_exception)
PLATFORM_RAISES_OUT_OF_MEMORY(__throw_bad_typeid)
PLATFORM_RAISES_OUT_OF_MEMORY(__throw_domain_error, const char*)
PLATFORM_RAISES_OUT_OF_MEMORY(__throw_invalid_argument, const char*)
PLATFORM_RAISES_OUT_OF_MEMORY(__throw_length_error, const char*)
PLATFORM_RAISES_OUT_OF_MEMORY(__throw_logic_error, const char*)
PLATFORM_RAISES_OUT_OF_MEMORY(__throw_out_of_range, const char*)
PLATFORM_RAISES_OUT_OF_MEMORY(__throw_out_of_range_fmt, const char*, ...)
PLATFORM_RAISES_OUT_OF_MEMORY(__throw_overflow_error, const char*)
PLATFORM_RAISES_OUT_OF_MEMORY(__throw_range_error, const char*)
PLATFORM_RAISES_OUT_OF_MEMORY(__throw_runtime_error, const char*)
PLATFORM_RAISES_OUT_OF_MEMORY(__throw_underflow_error, const char*)
#undef PLATFORM_RAISES_OUT_OF_MEMORY
}  // namespace std
// NOLINTEND(bugprone-reserved-identifier, cert-dcl58-cpp, cert-dcl50-cpp)
