#include "environments/environment_table.h"

#include "platform/text_lines.h"

namespace environments {
namespace {

// Delphi and C++Builder rows interleaved, in the order the installer numbers them.
const Environment kEnvironments[EnvironmentCount] = {
    {"D2", "Delphi\\2.0", "delphi.cnt"},      {"C1", "C++Builder\\1.0", "bcb.cnt"},
    {"D3", "Delphi\\3.0", "delphi3.cnt"},     {"C3", "C++Builder\\3.0", "bcb3.cnt"},
    {"D4", "Delphi\\4.0", "delphi4.cnt"},     {"C4", "C++Builder\\4.0", "bcb4.cnt"},
    {"D5", "Delphi\\5.0", "delphi5.cnt"},
};

constexpr int kFallback = EnvironmentCount - 1;

}  // namespace

const Environment& EnvironmentAt(int index) { return kEnvironments[index]; }

int EnvironmentIndex(const std::string& shortName) {
  for (int i = 0; i < EnvironmentCount; ++i)
    if (platform::CaselessCompareAscii(shortName, kEnvironments[i].ShortName) == 0) return i;
  return kFallback;
}

}  // namespace environments
