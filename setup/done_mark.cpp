#include "setup/done_mark.h"

namespace setup {
namespace {

void Put32(std::uint32_t value, unsigned char* bytes) {
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<unsigned char>(value >> (8 * i));
}

std::uint32_t Get32(const std::string& data, std::size_t at) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(data[at + i]);
  return value;
}

}  // namespace

std::string DoneValueName(const std::string& listName) { return listName + "DONE"; }

std::uint32_t ListFingerprint(const std::string& text) {
  std::uint32_t hash = 2166136261u;
  for (const char c : text) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
  return hash;
}

void EncodeDoneMark(const DoneMark& mark, unsigned char (&bytes)[kDoneMarkSize]) {
  Put32(mark.count, bytes);
  Put32(mark.fingerprint, bytes + 4);
}

bool DecodeDoneMark(const std::string& data, DoneMark& mark) {
  if (data.size() != kDoneMarkSize) return false;
  mark.count = Get32(data, 0);
  mark.fingerprint = Get32(data, 4);
  return true;
}

int EntriesDone(const DoneMark& mark, std::uint32_t fingerprint, int lineCount) {
  if (mark.fingerprint != fingerprint || lineCount <= 0) return 0;
  return mark.count < static_cast<std::uint32_t>(lineCount) ? static_cast<int>(mark.count) : lineCount;
}

}  // namespace setup
