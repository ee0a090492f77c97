// The functions of comctl32, comdlg32 and shell32 that the dialogs call,
// each DLL loaded from the system folder on the first call: a run that shows
// no window loads none of them.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>

namespace tarnwick {

// As InitCommonControlsEx; FALSE when comctl32 cannot be loaded.
BOOL LazyInitCommonControlsEx(const INITCOMMONCONTROLSEX* controls);
// As GetOpenFileNameW; FALSE (as for Cancel) when comdlg32 cannot be loaded.
BOOL LazyGetOpenFileNameW(OPENFILENAMEW* open);
// As ShellExecuteA; SE_ERR_DLLNOTFOUND when shell32 cannot be loaded.
HINSTANCE LazyShellExecuteA(HWND owner, const char* verb, const char* file, const char* parameters,
                            const char* folder, int show);
// As ShellExecuteExA; FALSE with ERROR_DLL_NOT_FOUND when shell32 cannot be loaded.
BOOL LazyShellExecuteExA(SHELLEXECUTEINFOA* info);

}  // namespace tarnwick
