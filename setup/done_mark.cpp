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
  Put32(static_cast<std::uint32_t>(mark.recordTime), bytes + 8);
  Put32(static_cast<std::uint32_t>(mark.recordTime >> 32), bytes + 12);
  Put32(mark.witnessIndex, bytes + 16);
  Put32(mark.witness, bytes + 20);
}

bool DecodeDoneMark(const std::string& data, DoneMark& mark) {
  if (data.size() != kDoneMarkSize) return false;
  mark.count = Get32(data, 0);
  mark.fingerprint = Get32(data, 4);
  mark.recordTime = Get32(data, 8) | (static_cast<std::uint64_t>(Get32(data, 12)) << 32);
  mark.witnessIndex = Get32(data, 16);
  mark.witness = Get32(data, 20);
  return true;
}

int EntriesDone(const DoneMark& stored, MarkStanding standing, int lineCount) {
  if (standing != MarkStanding::Counts || lineCount <= 0) return 0;
  return stored.count < static_cast<std::uint32_t>(lineCount) ? static_cast<int>(stored.count) : lineCount;
}

}  // namespace setup
