// Who may change a file or folder, as its security descriptor says: the
// owner and the entries of its access list. Read from the self-relative form
// Windows gives (GetFileSecurity), so the rules built on it are portable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tarnwick {

struct AccessEntry {
    std::string sid;  // "S-1-5-32-544"; empty where the entry's kind hides it
    uint32_t rights = 0;
    bool allows = true;        // an allowing entry, else a denying one
    bool inheritOnly = false;  // only passed on to children, no right on the object itself
};

struct ObjectAccess {
    std::string owner;  // empty: none recorded
    // No access list at all means everyone may do anything.
    bool hasAccessList = false;
    std::vector<AccessEntry> entries;
};

// The text form of the SID at the start of `bytes` ("S-1-5-18"); empty when
// they do not hold a whole SID.
std::string SidText(const uint8_t* bytes, size_t size);

// The owner and access list of a self-relative security descriptor; false
// when it is not self-relative or anything it points at lies outside it.
bool ReadSecurityDescriptor(const uint8_t* bytes, size_t size, ObjectAccess* access);

}  // namespace tarnwick
