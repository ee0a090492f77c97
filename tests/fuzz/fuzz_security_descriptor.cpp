// Security descriptors as GetFileSecurity gives them, read for the guard
// against planted JVMs: the reader stays inside the bytes, every SID it
// reads has the text form, and an object whose owner is no administrator
// is never taken for one only administrators may change.
#include <cstddef>
#include <cstdint>

#include "base/security_descriptor.h"
#include "fuzz_check.h"
#include "jvmsearch/planted_jvm_guard.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tarnwick;
    ObjectAccess access;
    if (!ReadSecurityDescriptor(data, size, &access)) return 0;
    Check(access.owner.empty() || access.owner.compare(0, 4, "S-1-") == 0);
    for (const AccessEntry& entry : access.entries) Check(entry.sid.empty() || entry.sid.compare(0, 4, "S-1-") == 0);
    const bool administrators = access.owner == "S-1-5-18" || access.owner == "S-1-5-32-544" ||
                                access.owner.compare(0, 13, "S-1-5-80-9560") == 0;
    for (PathPart part : {PathPart::File, PathPart::Folder, PathPart::DriveRoot}) {
        Check(administrators || !OnlyAdministratorsMayChange(access, part));
    }
    return 0;
}
