// What the guard against planted JVMs asks of Windows: whether the launcher
// runs elevated, and who may change a file or folder. The security functions
// are looked up by name: Windows 9x has no tokens and no access lists, and
// a static import of them would keep the launcher from starting there.
#include <vector>

#include "base/win32/scoped_handle.h"
#include "base/win32/system_library.h"
#include "jvmsearch/win32/windows_machine.h"

namespace tarnwick {
namespace {

using OpenProcessTokenFunction = BOOL(WINAPI*)(HANDLE, DWORD, HANDLE*);
using GetTokenInformationFunction = BOOL(WINAPI*)(HANDLE, TOKEN_INFORMATION_CLASS, void*, DWORD, DWORD*);
using GetFileSecurityFunction = BOOL(WINAPI*)(const char*, SECURITY_INFORMATION, PSECURITY_DESCRIPTOR, DWORD, DWORD*);

constexpr int kTokenElevation = 20;  // TOKEN_INFORMATION_CLASS, Vista on
constexpr DWORD kGroupEnabled = 0x4, kGroupDenyOnly = 0x10;

// What GetTokenInformation gives, in a buffer big enough for it; empty
// where it fails.
std::vector<uint64_t> TokenInformation(HANDLE token, int kind) {
    static const auto get = SystemFunction<GetTokenInformationFunction>("advapi32.dll", "GetTokenInformation");
    DWORD size = 0;
    if (get == nullptr) return {};
    get(token, static_cast<TOKEN_INFORMATION_CLASS>(kind), nullptr, 0, &size);
    std::vector<uint64_t> buffer(size / sizeof(uint64_t) + 1);  // 8-byte aligned, as the SIDs in it need
    if (size == 0 || !get(token, static_cast<TOKEN_INFORMATION_CLASS>(kind), buffer.data(), size, &size)) return {};
    return buffer;
}

// The text of a SID that lies in `buffer` (the SIDs of token information
// point into it).
std::string SidIn(const std::vector<uint64_t>& buffer, const void* sid) {
    const uint8_t* begin = reinterpret_cast<const uint8_t*>(buffer.data());
    const uint8_t* at = static_cast<const uint8_t*>(sid);
    const size_t size = buffer.size() * sizeof(uint64_t);
    return at >= begin && at < begin + size ? SidText(at, size - static_cast<size_t>(at - begin)) : std::string();
}

// Before Vista there is no elevation: a token with the Administrators
// group enabled has all of an administrator's rights.
bool HasEnabledAdministrators(HANDLE token) {
    const std::vector<uint64_t> buffer = TokenInformation(token, TokenGroups);
    if (buffer.empty()) return false;
    const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(buffer.data());
    for (DWORD i = 0; i < groups->GroupCount; ++i) {
        const DWORD attributes = groups->Groups[i].Attributes;
        if (SidIn(buffer, groups->Groups[i].Sid) == "S-1-5-32-544" && (attributes & kGroupEnabled) != 0 &&
            (attributes & kGroupDenyOnly) == 0) {
            return true;
        }
    }
    return false;
}

}  // namespace

bool WindowsMachine::RunsElevated() {
    static const auto open = SystemFunction<OpenProcessTokenFunction>("advapi32.dll", "OpenProcessToken");
    HANDLE raw = nullptr;
    if (open == nullptr || !open(::GetCurrentProcess(), TOKEN_QUERY, &raw)) return false;
    const ScopedKernelHandle token(raw);
    const std::vector<uint64_t> user = TokenInformation(token.Get(), TokenUser);
    if (!user.empty() && SidIn(user, reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid) == "S-1-5-18") {
        return true;
    }
    // From Vista on the elevation is the answer: a token split by UAC keeps
    // the Administrators group (deny-only) and is not elevated.
    const std::vector<uint64_t> elevation = TokenInformation(token.Get(), kTokenElevation);
    if (!elevation.empty()) return *reinterpret_cast<const DWORD*>(elevation.data()) != 0;
    return HasEnabledAdministrators(token.Get());
}

bool WindowsMachine::ReadAccess(const std::string& path, ObjectAccess* access) {
    static const auto get = SystemFunction<GetFileSecurityFunction>("advapi32.dll", "GetFileSecurityA");
    const SECURITY_INFORMATION wanted = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
    DWORD size = 0;
    if (get == nullptr) return false;
    get(path.c_str(), wanted, nullptr, 0, &size);
    if (size == 0) return false;
    std::vector<uint64_t> buffer(size / sizeof(uint64_t) + 1);
    DWORD needed = 0;
    if (!get(path.c_str(), wanted, buffer.data(), size, &needed)) return false;
    return ReadSecurityDescriptor(reinterpret_cast<const uint8_t*>(buffer.data()), size, access);
}

}  // namespace tarnwick
