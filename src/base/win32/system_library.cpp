#include "base/win32/system_library.h"

#include <string>

namespace tarnwick {
namespace {

// From Windows 8, and on Vista and 7 with update KB2533623.
constexpr DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32

// The loader functions are looked up by name (KernelFunction): kernel32
// lacks them before those updates (and SetDllDirectoryA before XP SP1).
bool LoaderKnowsSearchFlags() {
    return KernelFunction<FARPROC>("AddDllDirectory") != nullptr;
}

// Whether the process's activation context (the manifest's Common Controls
// 6 dependency) maps `name` to a side-by-side assembly in WinSxS.
bool RedirectedSideBySide(const char* name) {
    using FindFunction = BOOL(WINAPI*)(DWORD, const GUID*, ULONG, LPCSTR, PACTCTX_SECTION_KEYED_DATA);
    const auto find = KernelFunction<FindFunction>("FindActCtxSectionStringA");
    if (find == nullptr) return false;
    ACTCTX_SECTION_KEYED_DATA data = {};
    data.cbSize = sizeof data;
    return find(0, nullptr, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION, name, &data) != FALSE;
}

std::string InSystemFolder(const char* name) {
    char folder[MAX_PATH + 1] = {};
    const UINT length = ::GetSystemDirectoryA(folder, MAX_PATH);
    if (length == 0 || length > MAX_PATH) return std::string();
    return std::string(folder, length) + "\\" + name;
}

}  // namespace

void RestrictDllSearch() {
    using SetDefaultFunction = BOOL(WINAPI*)(DWORD);
    const auto setDefault = KernelFunction<SetDefaultFunction>("SetDefaultDllDirectories");
    if (setDefault != nullptr && setDefault(kSearchSystem32)) return;
    // Older systems: at least the current folder leaves the search. The
    // launcher's own folder stays in it, so nothing is loaded by bare name.
    using SetDirectoryFunction = BOOL(WINAPI*)(LPCSTR);
    const auto setDirectory = KernelFunction<SetDirectoryFunction>("SetDllDirectoryA");
    if (setDirectory != nullptr) setDirectory("");
}

HMODULE LoadSystemLibrary(const char* name) {
    // The search flags keep the side-by-side redirection and look nowhere
    // but in the system folder.
    if (LoaderKnowsSearchFlags()) return ::LoadLibraryExA(name, nullptr, kSearchSystem32);
    // A full path would bypass the redirection and load Common Controls 5.
    if (RedirectedSideBySide(name)) return ::LoadLibraryA(name);
    const std::string path = InSystemFolder(name);
    return path.empty() ? nullptr : ::LoadLibraryA(path.c_str());
}

}  // namespace tarnwick
