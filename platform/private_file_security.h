// The security of a file that the program, running as administrator, makes
// for its own use in a folder that other users may be able to write: no one
// but SYSTEM, the Administrators and the account that runs the program may
// open, change or delete it while it exists.
#pragma once
#include <windows.h>

#include <vector>

namespace platform {

class PrivateFileSecurity {
 public:
  // Builds a security descriptor of its own: a DACL allowing all access to
  // SYSTEM, the Administrators and the token's user and nothing to anyone
  // else, marked protected (Windows 2000 on) so that the file takes nothing
  // from its folder. Windows 9x keeps no rights (its security calls are
  // missing or fail as not implemented): there is no descriptor then.
  // Raises EInOutError with the system's code when Windows NT cannot build it.
  PrivateFileSecurity();
  PrivateFileSecurity(const PrivateFileSecurity&) = delete;
  PrivateFileSecurity& operator=(const PrivateFileSecurity&) = delete;

  // For CreateFileA: the descriptor, not inherited by child processes;
  // nullptr where there is none (Windows 9x).
  SECURITY_ATTRIBUTES* Attributes() { return built_ ? &attributes_ : nullptr; }

 private:
  bool Build();

  std::vector<DWORD> acl_;  // DWORD-aligned, as an ACL must be
  SECURITY_DESCRIPTOR descriptor_{};
  SECURITY_ATTRIBUTES attributes_{};
  bool built_ = false;
};

}  // namespace platform
