// The modeless progress dialog the main thread shows while the worker runs.
#pragma once

#include <windows.h>

namespace tarnwick {

// Private messages the worker sends (never posts) to the dialog.
constexpr UINT WM_HIDEPROGRESS = WM_USER + 2001;
constexpr UINT WM_SHOWPROGRESS = WM_USER + 2002;

// Set when the user confirmed aborting. Written and read only by the main
// thread.
extern bool AbortRequested;

// The progress dialog and its status line; null in silent mode.
extern HWND ProgressWindow;
extern HWND StatusLine;

// Sets the status line to string `id`; nothing in silent mode.
void SetStatusText(int id);

// Sends a private message to the progress dialog; nothing in silent mode,
// where there is none.
void SendProgressMessage(UINT message);

// Creates the dialog (resource 103) hidden and records its status line.
HWND CreateProgressDialog(HINSTANCE instance);

}  // namespace tarnwick
