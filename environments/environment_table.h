// The development environments that the product installs into: four Delphi
// and three C++Builder versions, each found by a two-character short name.
#pragma once
#include <string>

namespace environments {

constexpr int EnvironmentCount = 7;

struct Environment {
  const char* ShortName;         // as the uninstall record's DELPHIVER holds it
  const char* RegistrySubkey;    // below "Software\Borland\" in HKEY_LOCAL_MACHINE
  const char* ContentsFileName;  // the help contents file in the environment's HELP folder
};

// The row of an environment index 0 to 6 (a result of EnvironmentIndex).
const Environment& EnvironmentAt(int index);

// The first row whose short name equals the whole text under
// CaselessCompareAscii; 6 (Delphi 5.0) when none does. Never fails.
int EnvironmentIndex(const std::string& shortName);

}  // namespace environments
