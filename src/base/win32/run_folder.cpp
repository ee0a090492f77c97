#include "base/win32/run_folder.h"

#include <windows.h>

#include <cstdint>

#include "base/win32/private_security.h"
#include "base/win32/system_library.h"

namespace tarnwick {
namespace {

// Names already taken are skipped; this many in a row means something else
// is wrong.
constexpr int kNameTries = 16;

// "tw-" and 16 hex digits from the system's cryptographic generator
// (RtlGenRandom, looked up by name as Windows 2000 lacks it), so nobody can
// make the folder before the run does. Without it the counter and the
// process id make the name: the folder is still made new, and a name taken
// is skipped.
std::string NewName() {
    uint8_t bytes[8] = {};
    using Generate = BOOLEAN(WINAPI*)(PVOID, ULONG);
    const auto generate = SystemFunction<Generate>("advapi32.dll", "SystemFunction036");
    if (generate == nullptr || !generate(bytes, sizeof bytes)) {
        LARGE_INTEGER counter;
        ::QueryPerformanceCounter(&counter);
        const uint64_t mixed = static_cast<uint64_t>(counter.QuadPart) * 0x9E3779B97F4A7C15ull ^
                               (uint64_t{::GetCurrentProcessId()} << 32) ^ ::GetTickCount();
        for (int i = 0; i < 8; ++i) bytes[i] = static_cast<uint8_t>(mixed >> (8 * i));
    }
    static const char kHex[] = "0123456789abcdef";
    std::string name = "tw-";
    for (uint8_t byte : bytes) {
        name += kHex[byte >> 4];
        name += kHex[byte & 15];
    }
    return name;
}

}  // namespace

bool RunFolder::Make(const std::string& parent) {
    if (made_) return true;
    PrivateSecurity security;
    const bool secured = security.Make();
    for (int i = 0; i < kNameTries; ++i) {
        const std::string folder = parent + NewName();
        path_ = folder + "\\";
        if (!secured) return false;
        // Made new or not at all: an existing folder is never taken over.
        if (::CreateDirectoryA(folder.c_str(), security.attributes())) {
            made_ = true;
            return true;
        }
        if (::GetLastError() != ERROR_ALREADY_EXISTS) return false;
    }
    return false;
}

void RunFolder::Remove() {
    if (!made_) return;
    made_ = false;
    ::RemoveDirectoryA(path_.substr(0, path_.size() - 1).c_str());
}

}  // namespace tarnwick
