#include "base/win32/lazy_system_functions.h"

#include <shellapi.h>

#include "base/win32/system_library.h"

namespace tarnwick {

BOOL LazyInitCommonControlsEx(const INITCOMMONCONTROLSEX* controls) {
    const auto function = SystemFunction<decltype(&::InitCommonControlsEx)>("comctl32.dll", "InitCommonControlsEx");
    return function != nullptr ? function(controls) : FALSE;
}

BOOL LazyGetOpenFileNameW(OPENFILENAMEW* open) {
    const auto function = SystemFunction<decltype(&::GetOpenFileNameW)>("comdlg32.dll", "GetOpenFileNameW");
    return function != nullptr ? function(open) : FALSE;
}

HINSTANCE LazyShellExecuteA(HWND owner, const char* verb, const char* file, const char* parameters,
                            const char* folder, int show) {
    const auto function = SystemFunction<decltype(&::ShellExecuteA)>("shell32.dll", "ShellExecuteA");
    if (function == nullptr) return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(SE_ERR_DLLNOTFOUND));
    return function(owner, verb, file, parameters, folder, show);
}

BOOL LazyShellExecuteExA(SHELLEXECUTEINFOA* info) {
    const auto function = SystemFunction<decltype(&::ShellExecuteExA)>("shell32.dll", "ShellExecuteExA");
    if (function == nullptr) {
        ::SetLastError(ERROR_DLL_NOT_FOUND);
        return FALSE;
    }
    return function(info);
}

}  // namespace tarnwick
