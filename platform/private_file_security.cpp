#include "platform/private_file_security.h"

#include <algorithm>
#include <iterator>
#include <memory>

#include "platform/bound_function.h"
#include "platform/errors.h"
#include "platform/unique_handle.h"

namespace platform {
namespace {

// Windows 95 exports the security calls at most as stubs, and
// SetSecurityDescriptorControl came with Windows 2000: all are bound at run
// time from advapi32, which the program imports anyway.
template <typename Function>
void Bind(Function& slot, const char* name) {
  slot = ModuleFunction<Function>(GetModuleHandleA("advapi32.dll"), name);
}

struct SecurityCalls {
  SecurityCalls() {
    Bind(openProcessToken, "OpenProcessToken");
    Bind(getTokenInformation, "GetTokenInformation");
    Bind(allocateAndInitializeSid, "AllocateAndInitializeSid");
    Bind(freeSid, "FreeSid");
    Bind(getLengthSid, "GetLengthSid");
    Bind(initializeAcl, "InitializeAcl");
    Bind(addAccessAllowedAce, "AddAccessAllowedAce");
    Bind(initializeSecurityDescriptor, "InitializeSecurityDescriptor");
    Bind(setSecurityDescriptorDacl, "SetSecurityDescriptorDacl");
    Bind(setSecurityDescriptorControl, "SetSecurityDescriptorControl");
    Bind(getKernelObjectSecurity, "GetKernelObjectSecurity");
    Bind(getSecurityDescriptorOwner, "GetSecurityDescriptorOwner");
    Bind(getSecurityDescriptorDacl, "GetSecurityDescriptorDacl");
    Bind(getAce, "GetAce");
    Bind(equalSid, "EqualSid");
  }
  // Every call but the protection, which Windows NT 4.0 lacks.
  bool Present() const {
    return openProcessToken && getTokenInformation && allocateAndInitializeSid && freeSid && getLengthSid &&
           initializeAcl && addAccessAllowedAce && initializeSecurityDescriptor && setSecurityDescriptorDacl;
  }
  // The calls that read a file's security back.
  bool CanRead() const {
    return Present() && getKernelObjectSecurity && getSecurityDescriptorOwner && getSecurityDescriptorDacl && getAce &&
           equalSid;
  }

  decltype(&OpenProcessToken) openProcessToken;
  decltype(&GetTokenInformation) getTokenInformation;
  decltype(&AllocateAndInitializeSid) allocateAndInitializeSid;
  decltype(&FreeSid) freeSid;
  decltype(&GetLengthSid) getLengthSid;
  decltype(&InitializeAcl) initializeAcl;
  decltype(&AddAccessAllowedAce) addAccessAllowedAce;
  decltype(&InitializeSecurityDescriptor) initializeSecurityDescriptor;
  decltype(&SetSecurityDescriptorDacl) setSecurityDescriptorDacl;
  decltype(&SetSecurityDescriptorControl) setSecurityDescriptorControl;
  decltype(&GetKernelObjectSecurity) getKernelObjectSecurity;
  decltype(&GetSecurityDescriptorOwner) getSecurityDescriptorOwner;
  decltype(&GetSecurityDescriptorDacl) getSecurityDescriptorDacl;
  decltype(&GetAce) getAce;
  decltype(&EqualSid) equalSid;
};

void RaiseLastError() { RaiseInOutError(GetLastError()); }

using OwnedSid = std::unique_ptr<void, decltype(&FreeSid)>;

// A SID of the NT authority: S-1-5-first, or S-1-5-first-second.
OwnedSid NtSid(const SecurityCalls& calls, BYTE count, DWORD first, DWORD second = 0) {
  SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  PSID sid = nullptr;
  if (!calls.allocateAndInitializeSid(&nt, count, first, second, 0, 0, 0, 0, 0, 0, &sid)) RaiseLastError();
  return OwnedSid(sid, calls.freeSid);
}

// The TOKEN_USER of the process, in a DWORD-aligned buffer.
std::vector<DWORD> TokenUserOf(const SecurityCalls& calls, HANDLE token) {
  DWORD size = 0;
  calls.getTokenInformation(token, TokenUser, nullptr, 0, &size);
  std::vector<DWORD> buffer(size / sizeof(DWORD) + 1);
  if (size == 0 || !calls.getTokenInformation(token, TokenUser, buffer.data(), size, &size)) RaiseLastError();
  return buffer;
}

// The owner and the DACL of the open file, self-relative in a DWORD-aligned
// buffer; empty where they cannot be read (Windows 9x, a volume without
// rights, a handle without READ_CONTROL).
std::vector<DWORD> SecurityOf(const SecurityCalls& calls, HANDLE file) {
  const SECURITY_INFORMATION wanted = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
  DWORD size = 512;  // seldom more; else once more with the size it needs
  for (int attempt = 0; attempt < 2; ++attempt) {
    std::vector<DWORD> descriptor(size / sizeof(DWORD) + 1, 0);
    if (calls.getKernelObjectSecurity(file, wanted, descriptor.data(), size, &size)) return descriptor;
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) break;
  }
  return {};
}

// Whether sid is one of those given.
template <std::size_t count>
bool IsOneOf(const SecurityCalls& calls, PSID sid, const PSID (&sids)[count]) {
  return std::any_of(std::begin(sids), std::end(sids), [&](const PSID known) { return calls.equalSid(sid, known); });
}

// Every entry of the DACL allows, and only one of the allowed SIDs: no one
// else was ever let write the file, nor change these rights, as long as its
// owner is one of them too. A NULL DACL (all access to everyone) is none.
bool OnlyAllowedIn(const SecurityCalls& calls, PACL dacl, const PSID (&allowed)[3]) {
  if (!dacl) return false;
  for (DWORD i = 0; i < dacl->AceCount; ++i) {
    void* ace = nullptr;
    if (!calls.getAce(dacl, i, &ace) || static_cast<const ACE_HEADER*>(ace)->AceType != ACCESS_ALLOWED_ACE_TYPE ||
        !IsOneOf(calls, &static_cast<ACCESS_ALLOWED_ACE*>(ace)->SidStart, allowed))
      return false;
  }
  return true;
}

}  // namespace

bool PrivateFileSecurity::IsOn(HANDLE file) const {
  const SecurityCalls calls;
  if (!built_ || !calls.CanRead()) return false;
  std::vector<DWORD> descriptor = SecurityOf(calls, file);
  if (descriptor.empty()) return false;
  PSID owner = nullptr;
  BOOL ownerDefaulted = FALSE;
  PACL dacl = nullptr;
  BOOL present = FALSE;
  BOOL daclDefaulted = FALSE;
  if (!calls.getSecurityDescriptorOwner(descriptor.data(), &owner, &ownerDefaulted) || !owner ||
      !calls.getSecurityDescriptorDacl(descriptor.data(), &present, &dacl, &daclDefaulted) || !present)
    return false;
  // The SIDs of the DACL built: SYSTEM, the Administrators, the token's user.
  PSID allowed[3] = {};
  auto* const own = reinterpret_cast<PACL>(const_cast<DWORD*>(acl_.data()));
  for (DWORD i = 0; i < 3; ++i) {
    void* ace = nullptr;
    if (!calls.getAce(own, i, &ace)) return false;
    allowed[i] = &static_cast<ACCESS_ALLOWED_ACE*>(ace)->SidStart;
  }
  const PSID owners[] = {allowed[2], allowed[1]};
  return IsOneOf(calls, owner, owners) && OnlyAllowedIn(calls, dacl, allowed);
}

PrivateFileSecurity::PrivateFileSecurity() : built_(Build()) {
  attributes_.nLength = sizeof attributes_;
  attributes_.lpSecurityDescriptor = &descriptor_;
  attributes_.bInheritHandle = FALSE;
}

bool PrivateFileSecurity::Build() {
  const SecurityCalls calls;
  if (!calls.Present()) return false;
  UniqueKernelObject token;
  if (!calls.openProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Receive())) {
    if (GetLastError() == ERROR_CALL_NOT_IMPLEMENTED) return false;  // Windows 9x
    RaiseLastError();
  }
  const std::vector<DWORD> user = TokenUserOf(calls, token.Get());
  const OwnedSid system = NtSid(calls, 1, SECURITY_LOCAL_SYSTEM_RID);
  const OwnedSid administrators = NtSid(calls, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS);
  const PSID allowed[] = {system.get(), administrators.get(),
                          reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid};
  DWORD aclSize = sizeof(ACL);
  for (const PSID sid : allowed) aclSize += sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + calls.getLengthSid(sid);
  acl_.assign(aclSize / sizeof(DWORD) + 1, 0);
  auto* const acl = reinterpret_cast<PACL>(acl_.data());
  if (!calls.initializeAcl(acl, aclSize, ACL_REVISION)) RaiseLastError();
  for (const PSID sid : allowed)
    if (!calls.addAccessAllowedAce(acl, ACL_REVISION, FILE_ALL_ACCESS, sid)) RaiseLastError();
  if (!calls.initializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION) ||
      !calls.setSecurityDescriptorDacl(&descriptor_, TRUE, acl, FALSE))
    RaiseLastError();
  // Windows NT 4.0 has no protection, nor the inheritance that it stops: an
  // explicit DACL is the file's whole DACL there.
  if (calls.setSecurityDescriptorControl &&
      !calls.setSecurityDescriptorControl(&descriptor_, SE_DACL_PROTECTED, SE_DACL_PROTECTED))
    RaiseLastError();
  return true;
}

}  // namespace platform
