// DLLs come from the system folder only. setup.exe usually runs from a
// Downloads folder, often elevated: a DLL someone left there under a system
// DLL's name must never load. The launcher imports only DLLs Windows maps
// from its KnownDLLs list (see cmake/windows.cmake); everything else is
// loaded here, when a run first needs it.
#pragma once

#include <windows.h>

namespace tarnwick {

// Takes the launcher's folder and the current folder out of the DLL search
// for good: the first thing the entry point does.
void RestrictDllSearch();

// The system DLL `name` (a bare file name), loaded from the system folder,
// or through the side-by-side redirection the manifest asks for (Common
// Controls 6); null when it cannot be loaded. It stays loaded until the
// process ends, as the windows made from it may live that long.
HMODULE LoadSystemLibrary(const char* name);

// The kernel32 function `name`, or null where this Windows lacks it: looked
// up by name, as a static import of it would keep the launcher from starting.
template <typename Function>
Function KernelFunction(const char* name) {
    const HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
    if (kernel == nullptr) return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(kernel, name)));
}

// The function `function` of the system DLL `dll`, or null.
template <typename Function>
Function SystemFunction(const char* dll, const char* function) {
    const HMODULE module = LoadSystemLibrary(dll);
    if (module == nullptr) return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, function)));
}

}  // namespace tarnwick
