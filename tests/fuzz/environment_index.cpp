// Any short name: an index 0 to 6; a row other than the fallback only for its
// own short name, no earlier row matching; letter case of a to z never matters.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "environments/environment_table.h"
#include "platform/text_lines.h"

using environments::EnvironmentAt;
using environments::EnvironmentCount;
using environments::EnvironmentIndex;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string name(reinterpret_cast<const char*>(data), size);
  const int index = EnvironmentIndex(name);
  if (index < 0 || index >= EnvironmentCount) std::abort();
  for (int i = 0; i < index; ++i)
    if (platform::CaselessCompareAscii(name, EnvironmentAt(i).ShortName) == 0) std::abort();
  if (index < EnvironmentCount - 1 && platform::CaselessCompareAscii(name, EnvironmentAt(index).ShortName) != 0)
    std::abort();
  std::string upper = name;
  for (char& c : upper)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  if (EnvironmentIndex(upper) != index) std::abort();
  return 0;
}
