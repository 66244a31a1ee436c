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

  // Whether the security of the open file (read through that handle, which
  // needs READ_CONTROL) shows that no one but SYSTEM, the Administrators and
  // the account that runs the program could have written it: its owner is
  // that account or the Administrators, and every entry of its DACL allows
  // one of the three. So is a file made with this security; the protection
  // that Windows 2000 on marks it with is not asked for, as NT 4.0 knows none
  // and Wine keeps none (it gives rights from the Unix mode: a file of mode
  // 0600 shows SYSTEM and the account only, one of 0644 Everyone as well),
  // and whoever could change the rest could set it too. False where there is
  // no descriptor (Windows 9x) or the file's security cannot be read (a
  // volume that keeps no rights).
  bool IsOn(HANDLE file) const;

 private:
  bool Build();

  std::vector<DWORD> acl_;  // DWORD-aligned, as an ACL must be
  SECURITY_DESCRIPTOR descriptor_{};
  SECURITY_ATTRIBUTES attributes_{};
  bool built_ = false;
};

}  // namespace platform
