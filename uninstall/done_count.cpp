#include "uninstall/done_count.h"

namespace uninstall {
namespace {

void Put32(std::uint32_t value, unsigned char* bytes) noexcept {
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<unsigned char>(value >> (8 * i));
}

std::uint32_t Get32(const unsigned char* bytes) noexcept {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | bytes[i];
  return value;
}

}  // namespace

std::string DoneValueName(const std::string& listName) { return listName + "DONE"; }

DoneCount CountIn(const char* text, std::size_t length, std::uint32_t count) noexcept {
  std::uint32_t hash = 2166136261u;
  for (std::size_t i = 0; i < length; ++i) hash = (hash ^ static_cast<unsigned char>(text[i])) * 16777619u;
  return {count, static_cast<std::uint32_t>(length), hash};
}

void EncodeDoneCount(const DoneCount& count, unsigned char (&bytes)[kDoneCountSize]) noexcept {
  Put32(count.count, bytes);
  Put32(count.length, bytes + 4);
  Put32(count.hash, bytes + 8);
}

bool DecodeDoneCount(const unsigned char* data, std::size_t size, DoneCount& count) noexcept {
  if (size != kDoneCountSize) return false;
  count = {Get32(data), Get32(data + 4), Get32(data + 8)};
  return true;
}

int EntriesDone(const DoneCount& stored, const std::string& text, int lineCount) noexcept {
  const DoneCount now = CountIn(text.data(), text.size(), 0);
  if (stored.length != now.length || stored.hash != now.hash) return -1;
  if (lineCount <= 0) return 0;
  return stored.count < static_cast<std::uint32_t>(lineCount) ? static_cast<int>(stored.count) : lineCount;
}

}  // namespace uninstall
