#include "platform/text_format.h"

#include <vector>

namespace platform {
namespace {

// Writes into a buffer of at least one byte, keeping the last one for the NUL.
class Writer {
 public:
  Writer(char* out, std::size_t capacity) : out_(out), limit_(capacity - 1) {}
  void Put(char c) {
    if (length_ < limit_) out_[length_++] = c;
  }
  void Put(const char* text) {
    while (text && *text) Put(*text++);
  }
  std::size_t Finish() {
    out_[length_] = '\0';
    return length_;
  }

 private:
  char* out_;
  std::size_t limit_;
  std::size_t length_ = 0;
};

void PutNumber(Writer& w, long number) {
  char digits[24];
  int n = 0;
  unsigned long magnitude = number < 0 ? 0UL - static_cast<unsigned long>(number)
                                       : static_cast<unsigned long>(number);
  do {
    digits[n++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude);
  if (number < 0) w.Put('-');
  while (n) w.Put(digits[--n]);
}

void PutLocation(Writer& w, std::uint32_t location) {
  static const char kHex[] = "0123456789ABCDEF";
  for (int shift = 28; shift >= 0; shift -= 4) w.Put(kHex[(location >> shift) & 0xF]);
}

}  // namespace

std::size_t FormatInto(char* out, std::size_t capacity, const char* pattern,
                       const FormatArg* args, std::size_t argCount) {
  if (!out || capacity == 0) return 0;
  Writer w(out, capacity);
  std::size_t next = 0;
  for (const char* p = pattern; p && *p; ++p) {
    if (*p != '%' || (p[1] != 's' && p[1] != 'd' && p[1] != 'p' && p[1] != '%')) {
      w.Put(*p);
      continue;
    }
    const char kind = *++p;
    if (kind == '%') {
      w.Put('%');
      continue;
    }
    if (next >= argCount) continue;
    const FormatArg& arg = args[next++];
    if (kind == 's') w.Put(arg.text);
    else if (kind == 'd') PutNumber(w, arg.number);
    else PutLocation(w, arg.location);
  }
  return w.Finish();
}

std::string FormatText(const std::string& pattern, const FormatArg* args, std::size_t argCount) {
  std::vector<char> buffer(4097);
  std::size_t length = FormatInto(buffer.data(), buffer.size(), pattern.c_str(), args, argCount);
  return std::string(buffer.data(), length);
}

std::string FormatText(const std::string& pattern, const std::string& text) {
  FormatArg arg = FormatArg::Text(text.c_str());
  return FormatText(pattern, &arg, 1);
}

std::string FormatText(const std::string& pattern, long number) {
  FormatArg arg = FormatArg::Number(number);
  return FormatText(pattern, &arg, 1);
}

}  // namespace platform
