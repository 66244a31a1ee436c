// Failure texts from any pattern, names, message, number and capacity: never a
// byte written past the capacity, always NUL-terminated, and a cut text is the
// beginning of the same text formatted with room to spare.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "platform/failure_text.h"
#include "platform/text_format.h"

namespace {

const char kPattern[] = "Exception %s in module %s at %p.\n%s%s";

bool NoLeadBytes(unsigned char) { return false; }
bool HighLeadByte(unsigned char b) { return b >= 0x81 && b <= 0xFE; }

// Formats into exactly capacity bytes on the heap, so that AddressSanitizer
// sees any write past them, and checks the length and the terminator.
template <typename Format>
std::string FormatChecked(std::size_t capacity, Format format) {
  const std::unique_ptr<char[]> out(new char[capacity]);
  const std::size_t length = format(out.get(), capacity);
  if (capacity == 0) {
    if (length != 0) std::abort();
    return std::string();
  }
  if (length >= capacity || out[length] != '\0' || std::strlen(out.get()) != length) std::abort();
  return std::string(out.get(), length);
}

template <typename Format>
void CheckCut(std::size_t capacity, Format format) {
  const std::string cut = FormatChecked(capacity, format);
  const std::string roomy = FormatChecked(2 * capacity + 16, format);
  if (roomy.compare(0, cut.size(), cut) != 0 || (cut.size() + 1 < capacity && cut != roomy)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const std::size_t capacity = input.ConsumeIntegralInRange<std::size_t>(0, 1100);
  const std::uint32_t offset = input.ConsumeIntegral<std::uint32_t>();
  const int number = input.ConsumeIntegral<int>();
  const platform::LeadByteTest isLeadByte = input.ConsumeBool() ? &HighLeadByte : &NoLeadBytes;
  const std::string pattern = input.ConsumeBool() ? kPattern : input.ConsumeRandomLengthString(200);
  const std::string kind = input.ConsumeRandomLengthString(64);
  const std::string module = input.ConsumeRandomLengthString(300);
  const std::string message = input.ConsumeRemainingBytesAsString();
  CheckCut(capacity, [&](char* out, std::size_t room) {
    return platform::FormatFailureText(out, room, pattern.c_str(), kind.c_str(), module.c_str(), offset,
                                       message.c_str(), isLeadByte);
  });
  CheckCut(capacity, [&](char* out, std::size_t room) {
    return platform::FormatRuntimeErrorText(out, room, number, offset);
  });
  if (platform::FormatText(pattern, message).size() > 4096 || platform::FormatText(pattern, number).size() > 4096)
    std::abort();
  return 0;
}
