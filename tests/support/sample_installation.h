// The sample installation of docs/sample, laid out in the Wine prefix for a
// test as scripts/run lays it out: its registry data imported from
// installation.reg with regedit, its files (the installed files, the include
// file, the Delphi 5 help contents file) copied from drive_c, and the program
// file copied from the build. Whatever an earlier run left is removed first,
// and everything again at the end.
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
  // The bytes of the installed file of that name as docs/sample holds them.
  static std::string SampleFile(const std::string& name);
  // The product installed again over what runs left, by an installer that
  // knows nothing of them: the files laid out, each counted once more (a
  // file listed twice, twice), the values of the record and the
  // registration and the help lines written again as they were.
  static void InstallAgain();
  // The record's values as KeyContents gives them, less the counts of
  // entries done that a run keeps beside the lists.
  static std::vector<std::string> RecordValues();
  // Values as RecordValues gave them, with FILES and INSTALLEDHELPS holding
  // only their last filesLeft and helpsLeft entries: the record after a run
  // that failed, as its to-do list.
  static std::vector<std::string> ListsLeft(std::vector<std::string> values, int filesLeft, int helpsLeft);

 private:
  static void RemoveEverything();
};

// The values below a key (name=data, REG_DWORD data in decimal) and its
// subkeys ("[name]"), sorted; empty when the key is missing.
std::vector<std::string> KeyContents(void* root, const std::string& path);

}  // namespace testing_support
