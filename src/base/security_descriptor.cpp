#include "base/security_descriptor.h"

#include "base/byte_order.h"

namespace tarnwick {
namespace {

// Offsets and flags of the self-relative SECURITY_DESCRIPTOR, ACL and ACE.
constexpr size_t kDescriptorBytes = 20;
constexpr uint16_t kSelfRelative = 0x8000;
constexpr uint16_t kDaclPresent = 0x0004;
constexpr size_t kAclHeaderBytes = 8;
constexpr size_t kAceHeaderBytes = 8;  // type, flags, size, rights
constexpr uint8_t kInheritOnly = 0x08;
constexpr size_t kMaxSubAuthorities = 15;

// The kinds of entry an access list may hold: those with the SID right
// after the rights, and those whose SID follows object GUIDs.
bool IsAllowing(uint8_t type) { return type == 0 || type == 4 || type == 5 || type == 9 || type == 11; }
bool IsDenying(uint8_t type) { return type == 1 || type == 6 || type == 10 || type == 12; }
bool HasPlainSid(uint8_t type) { return type == 0 || type == 1 || type == 9 || type == 10; }

bool ReadAccessList(const uint8_t* acl, size_t size, ObjectAccess* access) {
    if (size < kAclHeaderBytes) return false;
    const size_t aclSize = LittleEndian16(acl + 2);
    if (aclSize < kAclHeaderBytes || aclSize > size) return false;
    size_t at = kAclHeaderBytes;
    for (uint32_t count = LittleEndian16(acl + 4); count > 0; --count) {
        if (aclSize - at < kAceHeaderBytes) return false;
        const uint8_t* ace = acl + at;
        const size_t aceSize = LittleEndian16(ace + 2);
        if (aceSize < kAceHeaderBytes || aceSize > aclSize - at) return false;
        if (IsAllowing(ace[0]) || IsDenying(ace[0])) {
            AccessEntry entry;
            entry.sid = HasPlainSid(ace[0]) ? SidText(ace + kAceHeaderBytes, aceSize - kAceHeaderBytes) : "";
            entry.rights = LittleEndian32(ace + 4);
            entry.allows = IsAllowing(ace[0]);
            entry.inheritOnly = (ace[1] & kInheritOnly) != 0;
            access->entries.push_back(entry);
        }
        at += aceSize;
    }
    return true;
}

}  // namespace

std::string SidText(const uint8_t* bytes, size_t size) {
    if (size < 8 || bytes[0] != 1 || bytes[1] > kMaxSubAuthorities || size < 8 + 4 * size_t(bytes[1])) return "";
    uint64_t authority = 0;
    for (int i = 2; i < 8; ++i) authority = authority << 8 | bytes[i];  // big-endian, unlike the rest
    std::string text = "S-1-" + std::to_string(authority);
    for (size_t i = 0; i < bytes[1]; ++i) text += "-" + std::to_string(LittleEndian32(bytes + 8 + 4 * i));
    return text;
}

bool ReadSecurityDescriptor(const uint8_t* bytes, size_t size, ObjectAccess* access) {
    *access = ObjectAccess();
    if (size < kDescriptorBytes || (LittleEndian16(bytes + 2) & kSelfRelative) == 0) return false;
    const size_t ownerAt = LittleEndian32(bytes + 4), aclAt = LittleEndian32(bytes + 16);
    if (ownerAt != 0) {
        if (ownerAt >= size) return false;
        access->owner = SidText(bytes + ownerAt, size - ownerAt);
        if (access->owner.empty()) return false;
    }
    access->hasAccessList = (LittleEndian16(bytes + 2) & kDaclPresent) != 0 && aclAt != 0;
    if (!access->hasAccessList) return true;
    return aclAt < size && ReadAccessList(bytes + aclAt, size - aclAt, access);
}

}  // namespace tarnwick
