#include "platform/run_log.h"

#include "platform/errors.h"
#include "platform/plain_file.h"
#include "platform/unique_handle.h"

namespace platform {
namespace {

// The log, open from the entry point's start until the program ends, so
// that the failure reported at the top level still reaches it.
UniqueFile g_log;

// A line is gathered here and written in one piece when it ends (or when a
// long one fills it): a run ended from outside leaves whole lines.
class LineWriter {
 public:
  void Put(std::string_view text) noexcept {
    for (const char c : text) {
      if (used_ == sizeof buffer_) Write();
      buffer_[used_++] = c;
    }
  }
  void End() noexcept {
    Put("\r\n");
    Write();
  }

 private:
  void Write() noexcept {
    DWORD written = 0;
    WriteFile(g_log.Get(), buffer_, static_cast<DWORD>(used_), &written, nullptr);
    used_ = 0;
  }
  char buffer_[512] = {};
  std::size_t used_ = 0;
};

// The count last digits of value, the last of them at last.
void PutDigits(char* last, unsigned value, int count) noexcept {
  for (; count > 0; --count, value /= 10) *last-- = static_cast<char>('0' + value % 10);
}

}  // namespace

void OpenRunLog(const std::string& path, SECURITY_ATTRIBUTES* security) {
  UniqueFile file(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, security, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL | OwnEntryFlag(), nullptr));
  if (!file.IsValid()) RaiseInOutError(GetLastError());
  g_log = std::move(file);
}

std::string OpenDefaultRunLog(SECURITY_ATTRIBUTES* security) {
  char temp[MAX_PATH + 1];
  const DWORD length = GetTempPathA(sizeof temp, temp);
  if (length == 0 || length >= sizeof temp) RaiseInOutError(length == 0 ? GetLastError() : ERROR_FILENAME_EXCED_RANGE);
  const LocalTimeText now;
  // GetTempPathA ends the folder with a backslash of its own.
  const std::string stem = std::string(temp, length) + "Quenlar Uninstall " + std::string(now.Date()) + " #";
  for (int number = 1; number <= 999; ++number) {
    char digits[4] = {};
    PutDigits(digits + 2, number, 3);
    const std::string folder = stem + digits;
    if (CreateDirectoryA(folder.c_str(), security)) {
      std::string path = folder + "\\Uninstall.log";
      OpenRunLog(path, security);
      return path;
    }
    if (GetLastError() != ERROR_ALREADY_EXISTS && GetLastError() != ERROR_FILE_EXISTS) RaiseInOutError(GetLastError());
  }
  RaiseInOutError(ERROR_ALREADY_EXISTS);
}

void CloseRunLog() noexcept { g_log.Reset(); }

bool RunLogOpen() noexcept { return g_log.IsValid(); }

void LogLine(std::initializer_list<std::string_view> parts) noexcept {
  if (!g_log.IsValid()) return;
  LineWriter line;
  for (const std::string_view part : parts) line.Put(part);
  line.End();
}

void LogText(std::string_view text) noexcept {
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    LogLine({line});
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
}

LocalTimeText::LocalTimeText() noexcept {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  PutDigits(text_ + 3, now.wYear, 4);
  PutDigits(text_ + 6, now.wMonth, 2);
  PutDigits(text_ + 9, now.wDay, 2);
  PutDigits(text_ + 12, now.wHour, 2);
  PutDigits(text_ + 15, now.wMinute, 2);
  PutDigits(text_ + 18, now.wSecond, 2);
}

DecimalText::DecimalText(long number) noexcept {
  unsigned long magnitude = number < 0 ? 0ul - static_cast<unsigned long>(number) : static_cast<unsigned long>(number);
  do {
    digits_[--start_] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (number < 0) digits_[--start_] = '-';
}

}  // namespace platform
