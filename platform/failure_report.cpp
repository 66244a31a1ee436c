#include "platform/failure_report.h"

#include <cstdint>
#include <cstdlib>
#include <exception>

#include "platform/failure_text.h"
#include "platform/run_log.h"
#include "platform/string_ids.h"

namespace platform {
namespace {

constexpr int kRuntimeErrorNumber = 217;
// The failure text keeps this many characters; the buffers hold one more for the NUL.
constexpr std::size_t kFailureTextLength = 1024;

// The module that holds a code location: the base of the allocation that
// the location lies in, which for code is the start of its module's image.
// (Every raise lies in the program's own file; VirtualQuery answers on every
// Windows, where GetModuleHandleExA would keep the program from loading on
// Windows 9x, NT 4.0 and 2000.)
HMODULE ModuleOf(const void* location) {
  MEMORY_BASIC_INFORMATION region{};
  if (location && VirtualQuery(location, &region, sizeof region) != 0 && region.AllocationBase)
    return static_cast<HMODULE>(region.AllocationBase);
  return GetModuleHandleA(nullptr);
}

// Offset of location from the start of the module that holds it, and that
// module's path.
std::uint32_t ModuleOffset(const void* location, char* modulePath, DWORD pathSize) {
  const HMODULE module = ModuleOf(location);
  if (modulePath) {
    const DWORD length = GetModuleFileNameA(module, modulePath, pathSize);
    modulePath[length < pathSize ? length : 0] = '\0';
  }
  if (!location) return 0;
  return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(location) -
                                    reinterpret_cast<std::uintptr_t>(module));
}

// Room for the longest module path there is (32,767 characters, two bytes
// each in a double-byte code page): the box names the module's file, which a
// cut path would lose. Static, as reporting may not allocate, and large.
char g_modulePath[65536];

bool g_failureBox = true;

std::size_t FailureTextInto(char* out, std::size_t capacity, const Exception& error,
                            const void* location) {
  char pattern[256];
  LoadResourceTextInto(IDS_FAILURE_TEMPLATE, pattern, sizeof pattern);
  const std::uint32_t offset = ModuleOffset(location, g_modulePath, sizeof g_modulePath);
  return FormatFailureText(out, capacity, pattern, error.KindName(), g_modulePath, offset,
                           error.Message().c_str(), &IsAnsiLeadByte);
}

[[noreturn]] void ReportRuntimeError(const void* location) noexcept {
  char text[1024];
  FormatRuntimeErrorText(text, sizeof text, kRuntimeErrorNumber,
                         ModuleOffset(location, nullptr, 0));
  MessageBoxA(nullptr, text, "Error", MB_OK);
  ExitProcess(kRuntimeErrorNumber);
}

struct TerminateHandlerInstaller {
  TerminateHandlerInstaller() noexcept { std::set_terminate(&TerminateProgram); }
} g_terminateHandler __attribute__((init_priority(101)));

}  // namespace

void TerminateProgram() noexcept {
  const void* location = nullptr;
  if (std::exception_ptr current = std::current_exception()) {
    try {
      std::rethrow_exception(current);
    } catch (const Exception& error) {
      location = error.Location();
    } catch (const OutOfMemoryRaise& error) {
      location = error.Location();
    } catch (...) {
    }
  }
  ReportRuntimeError(location);
}

std::string FailureText(const Exception& error, const void* location) {
  char text[kFailureTextLength + 1];
  const std::size_t length = FailureTextInto(text, sizeof text, error, location);
  return std::string(text, length);
}

void ReportFailure(const Exception& error, const void* location) noexcept {
  char text[kFailureTextLength + 1];
  char caption[64];
  const std::size_t length = FailureTextInto(text, sizeof text, error, location);
  LogLine({"Failure:"});
  LogText({text, length});
  if (!g_failureBox) return;
  LoadResourceTextInto(IDS_FAILURE_CAPTION, caption, sizeof caption);
  MessageBoxA(nullptr, text, caption, MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

void ShowFailureBox(bool shown) noexcept { g_failureBox = shown; }

int RunProgram(int (*entry)()) noexcept {
  try {
    return entry();
  } catch (const Exception& error) {
    ReportFailure(error, error.Location());
  } catch (const OutOfMemoryRaise& error) {
    ReportFailure(OutOfMemoryError(), error.Location());
  } catch (...) {
    // Any other exception comes from the runtime running out of room (a
    // string or vector larger than the program can hold, a failed allocation
    // of the runtime's own): the user sees the out-of-memory failure.
    ReportFailure(OutOfMemoryError(), nullptr);
  }
  LogLine({"Ended by the failure above, exit code 1"});
  return 1;
}

}  // namespace platform
