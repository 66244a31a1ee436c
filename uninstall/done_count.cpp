#include "uninstall/done_count.h"

#include <algorithm>

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

std::vector<unsigned char> EncodeDoneClaim(const DoneClaim& claim) {
  std::vector<unsigned char> bytes(kDoneCountSize + 8 + 8 * claim.states.size());
  unsigned char head[kDoneCountSize];
  EncodeDoneCount(claim.count, head);
  std::copy(head, head + kDoneCountSize, bytes.begin());
  Put32(kClaimVersion, &bytes[kDoneCountSize]);
  Put32(static_cast<std::uint32_t>(claim.states.size()), &bytes[kDoneCountSize + 4]);
  unsigned char* state = &bytes[kDoneCountSize + 8];
  for (const EntryState& s : claim.states) {
    Put32(s.kind, state);
    Put32(s.value, state + 4);
    state += 8;
  }
  return bytes;
}

bool DecodeDoneClaim(const unsigned char* data, std::size_t size, DoneClaim& claim) {
  if (size < kDoneCountSize) return false;
  DoneClaim read;
  DecodeDoneCount(data, kDoneCountSize, read.count);
  if (size > kDoneCountSize) {
    if (size < kDoneCountSize + 8 || Get32(data + kDoneCountSize) != kClaimVersion) return false;
    const std::uint32_t states = Get32(data + kDoneCountSize + 4);
    if ((size - kDoneCountSize - 8) / 8 != states || (size - kDoneCountSize - 8) % 8 != 0) return false;
    for (std::size_t at = kDoneCountSize + 8; at < size; at += 8) read.states.push_back({Get32(data + at), Get32(data + at + 4)});
    read.claimed = true;
  }
  claim = std::move(read);
  return true;
}

int EntriesDone(const DoneCount& stored, const std::string& text, int lineCount) noexcept {
  const DoneCount now = CountIn(text.data(), text.size(), 0);
  if (stored.length != now.length || stored.hash != now.hash) return -1;
  if (lineCount <= 0) return 0;
  return stored.count < static_cast<std::uint32_t>(lineCount) ? static_cast<int>(stored.count) : lineCount;
}

}  // namespace uninstall
