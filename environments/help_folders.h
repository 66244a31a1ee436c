// Where a development environment keeps its help: the folder named by the
// value RootDir of its key below HKEY_LOCAL_MACHINE\Software\Borland, its
// subfolder HELP, and the contents file in it. Indexes are 0 to 6.
#pragma once
#include <string>

namespace environments {

// RootDir as stored (with or without a final backslash); empty text when the
// key is missing or cannot be opened with full access, or the value is
// missing or empty. Raises ERegistryException "Invalid data type for
// 'RootDir'" when the value is not text.
std::string EnvironmentRootDir(int index);

// RootDir with one backslash added where it lacks one, then "HELP\"; with an
// empty RootDir the relative path "HELP\".
std::string EnvironmentHelpFolder(int index);

// The help folder followed by the environment's contents file name.
std::string EnvironmentContentsFile(int index);

}  // namespace environments
