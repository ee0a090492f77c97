#include "base/win32/private_security.h"

#include <initializer_list>

#include "base/win32/scoped_handle.h"

namespace tarnwick {
namespace {

// S-1-5-...: SYSTEM is S-1-5-18, Administrators S-1-5-32-544.
bool NtSid(DWORD* buffer, std::initializer_list<DWORD> subAuthorities) {
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    if (!::InitializeSid(buffer, &nt, static_cast<BYTE>(subAuthorities.size()))) return false;
    DWORD index = 0;
    for (DWORD sub : subAuthorities) *::GetSidSubAuthority(buffer, index++) = sub;
    return true;
}

bool Allow(ACL* acl, PSID sid) {
    return ::AddAccessAllowedAceEx(acl, ACL_REVISION, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE,
                                   FILE_ALL_ACCESS, sid) != FALSE;
}

}  // namespace

bool PrivateSecurity::AddCurrentUser() {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
    ScopedKernelHandle owner(token);
    DWORD user[(sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE) / sizeof(DWORD) + 1] = {};
    DWORD size = 0;
    if (!::GetTokenInformation(token, TokenUser, user, sizeof user, &size)) return false;
    return ::CopySid(sizeof user_, user_, reinterpret_cast<TOKEN_USER*>(user)->User.Sid) != FALSE;
}

bool PrivateSecurity::Make() {
    secured_ = false;
    if (!AddCurrentUser()) return ::GetLastError() == ERROR_CALL_NOT_IMPLEMENTED;
    auto* acl = reinterpret_cast<ACL*>(acl_);
    if (!NtSid(system_, {SECURITY_LOCAL_SYSTEM_RID}) ||
        !NtSid(administrators_, {SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS}) ||
        !::InitializeAcl(acl, sizeof acl_, ACL_REVISION) || !Allow(acl, user_) ||
        // Running as SYSTEM, the user is SYSTEM: one entry for it.
        (!::EqualSid(user_, system_) && !Allow(acl, system_)) || !Allow(acl, administrators_) ||
        !::InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION) ||
        !::SetSecurityDescriptorDacl(&descriptor_, TRUE, acl, FALSE) ||
        // Protected: the temporary folder's own entries are not inherited.
        !::SetSecurityDescriptorControl(&descriptor_, SE_DACL_PROTECTED, SE_DACL_PROTECTED)) {
        return false;
    }
    attributes_ = {sizeof attributes_, &descriptor_, FALSE};
    secured_ = true;
    return true;
}

}  // namespace tarnwick
