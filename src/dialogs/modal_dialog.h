#pragma once

#include <windows.h>

namespace tarnwick {

// Runs the dialog resource `dialogId` modally and returns its result.
INT_PTR ShowModalDialog(HWND owner, HINSTANCE instance, int dialogId, DLGPROC procedure,
                        LPARAM parameter);

}  // namespace tarnwick
