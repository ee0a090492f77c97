#include "unix_names.h"

#include <windows.h>

#include "utf8_text.h"

namespace tarnwick {
namespace {

// Returns a host path in the host's encoding allocated on the process heap,
// or null.
using UnixFileNameFunction = char*(CDECL*)(const wchar_t* dosPath);

UnixFileNameFunction UnixFileName() {
    HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    if (kernel == nullptr) return nullptr;
    return reinterpret_cast<UnixFileNameFunction>(
        reinterpret_cast<void*>(::GetProcAddress(kernel, "wine_get_unix_file_name")));
}

}  // namespace

bool WineUnixNamesAvailable() { return UnixFileName() != nullptr; }

HostPathResolver WineHostPathResolver() {
    const UnixFileNameFunction function = UnixFileName();
    return [function](const std::string& windowsPath, std::string* hostPath) {
        if (function == nullptr || windowsPath.empty()) return false;
        char* name = function(FromUtf8(windowsPath).c_str());
        if (name == nullptr) return false;
        *hostPath = name;
        ::HeapFree(::GetProcessHeap(), 0, name);
        return true;
    };
}

}  // namespace tarnwick
