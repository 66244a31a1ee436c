#include "environments/help_folders.h"

#include <windows.h>

#include "environments/environment_table.h"
#include "platform/registry_session.h"
#include "setup/path_helpers.h"

namespace environments {

std::string EnvironmentRootDir(int index) {
  platform::RegistrySession registry;
  registry.SetRoot(HKEY_LOCAL_MACHINE);
  // Relative while no key is open: taken below HKEY_LOCAL_MACHINE.
  if (!registry.OpenPath(std::string("Software\\Borland\\") + EnvironmentAt(index).RegistrySubkey))
    return {};
  return registry.ReadText("RootDir");
}

std::string EnvironmentHelpFolder(int index) {
  return setup::AddTrailingBackslash(EnvironmentRootDir(index)) + "HELP\\";
}

std::string EnvironmentContentsFile(int index) {
  return EnvironmentHelpFolder(index) + EnvironmentAt(index).ContentsFileName;
}

}  // namespace environments
