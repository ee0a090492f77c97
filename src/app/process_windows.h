// The process-wide handles the entry point records for every step and dialog.
#pragma once

#include <windows.h>

#include <string>

namespace tarnwick {

// The executable's module: every string, dialog and icon comes from it.
extern HINSTANCE InstanceHandle;
// Full path of the running executable; the package is read from it.
extern std::string OwnPath;
// The progress dialog and its status line; null in silent mode.
extern HWND ProgressWindow;
extern HWND StatusLine;
// Where the worker thread posts WM_QUIT when the run sequence ends.
extern DWORD MainThreadId;

}  // namespace tarnwick
