// The sample installation of docs/sample-installation.reg, laid out in the
// Wine prefix for a test: its registry data imported with regedit, its
// installed files, the include file and the Delphi 5 help contents file from
// docs/sample, and the program file copied from the build. Whatever an
// earlier run left is removed first, and everything again at the end.
#pragma once
#include <string>
#include <vector>

namespace testing_support {

class SampleInstallation {
 public:
  static constexpr const char* kKeyName = "Quenlar Sample Library";
  static constexpr const char* kProduct = "C:\\Program Files\\Quenlar\\Sample Library";
  static constexpr const char* kContents = "C:\\Program Files\\Borland\\Delphi5\\HELP\\delphi5.cnt";

  SampleInstallation();
  ~SampleInstallation();
  SampleInstallation(const SampleInstallation&) = delete;
  SampleInstallation& operator=(const SampleInstallation&) = delete;

  static std::string Program() { return std::string(kProduct) + "\\uninstall.exe"; }
  static std::string Batch() { return std::string(kProduct) + "\\$delme.bat"; }
  static std::string Include() { return std::string(kProduct) + "\\units\\prod.inc"; }
  // The entries of FILES, in their order (one is listed twice).
  static std::vector<std::string> Files();
  // A file of docs/sample as it is in the repository.
  static std::string SampleFile(const std::string& name);

 private:
  static void RemoveEverything();
};

// The values below a key (name=data, REG_DWORD data in decimal) and its
// subkeys ("[name]"), sorted; empty when the key is missing.
std::vector<std::string> KeyContents(void* root, const std::string& path);

}  // namespace testing_support
