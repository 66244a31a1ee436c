#include "platform/errors.h"

#include <cstdlib>

#include "platform/string_ids.h"
#include "platform/text_format.h"

namespace platform {
namespace {

UINT InOutMessageId(DWORD code) {
  switch (code) {
    case ERROR_FILE_NOT_FOUND: return IDS_FILE_NOT_FOUND;
    case ERROR_PATH_NOT_FOUND: return IDS_INVALID_FILENAME;
    case ERROR_TOO_MANY_OPEN_FILES: return IDS_TOO_MANY_OPEN_FILES;
    case ERROR_ACCESS_DENIED: return IDS_FILE_ACCESS_DENIED;
    case kReadBeyondEndOfFile: return IDS_READ_BEYOND_EOF;
    case kDiskFull: return IDS_DISK_FULL;
    case kInvalidNumericInput: return IDS_INVALID_NUMERIC_INPUT;
    default: return IDS_IO_ERROR;
  }
}

[[noreturn]] void Throw(ErrorKind kind, UINT messageId, const std::string& text, long number,
                        const void* location) {
  const std::string pattern = LoadResourceText(messageId);
  switch (kind) {
    case ErrorKind::Registry: throw ERegistryException(FormatText(pattern, text), location);
    case ErrorKind::FOpen: throw EFOpenError(FormatText(pattern, text), location);
    case ErrorKind::FCreate: throw EFCreateError(FormatText(pattern, text), location);
    case ErrorKind::Write: throw EWriteError(pattern, location);
    case ErrorKind::StringList: throw EStringListError(FormatText(pattern, number), location);
    case ErrorKind::InOut:
      throw EInOutError(FormatText(pattern, number), static_cast<DWORD>(number), location);
  }
  std::abort();
}

// Made during start-up, before the entry point: raising and reporting it
// needs no memory. Should its own text find no memory, the terminate handler,
// installed before it, reports that as a runtime error.
// NOLINTNEXTLINE(cert-err58-cpp): that handler is the report for start-up failures.
const EOutOfMemory g_outOfMemory __attribute__((init_priority(102)))(
    LoadResourceText(IDS_OUT_OF_MEMORY), nullptr);

}  // namespace

std::string LoadResourceText(UINT id) {
  char buffer[1024];
  return std::string(buffer, LoadResourceTextInto(id, buffer, sizeof buffer));
}

std::size_t LoadResourceTextInto(UINT id, char* buffer, int size) noexcept {
  const int length = LoadStringA(GetModuleHandleA(nullptr), id, buffer, size);
  if (length > 0) return static_cast<std::size_t>(length);
  buffer[0] = '\0';
  return 0;
}

__attribute__((noinline)) void RaiseError(ErrorKind kind, UINT messageId, const std::string& text,
                                          long number) {
  Throw(kind, messageId, text, number, __builtin_return_address(0));
}

__attribute__((noinline)) void RaiseInOutError(DWORD code) {
  Throw(ErrorKind::InOut, InOutMessageId(code), {}, static_cast<long>(code),
        __builtin_return_address(0));
}

__attribute__((noinline)) void RaiseOutOfMemory() { throw OutOfMemoryRaise(__builtin_return_address(0)); }

const EOutOfMemory& OutOfMemoryError() noexcept { return g_outOfMemory; }

}  // namespace platform
