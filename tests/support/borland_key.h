// The key of one development environment below "Software\Borland" in
// HKEY_LOCAL_MACHINE, as a test needs it: the levels it creates are deleted at
// the end, and in a key that was there before RootDir is put back as it was.
#pragma once
#include <windows.h>

#include <string>

namespace testing_support {

class BorlandKey {
 public:
  explicit BorlandKey(int environmentIndex);
  ~BorlandKey();
  BorlandKey(const BorlandKey&) = delete;
  BorlandKey& operator=(const BorlandKey&) = delete;
  // True when the key was there before the test (a real environment).
  bool Existed() const { return created_.empty(); }
  void SetRootDir(DWORD type, const std::string& data) const;
  void SetRootDir(const std::string& folder) const { SetRootDir(REG_SZ, folder + '\0'); }

 private:
  std::string path_;
  std::string created_;  // the highest level that did not exist before
  bool hadRootDir_ = false;
  DWORD savedType_ = 0;
  std::string savedData_;
};

}  // namespace testing_support
