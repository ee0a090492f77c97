#pragma once

#include <windows.h>

namespace tarnwick {

// Runs the dialog resource `dialogId` modally and returns its result.
INT_PTR ShowModalDialog(HWND owner, HINSTANCE instance, int dialogId, DLGPROC procedure,
                        LPARAM parameter);

// An installer's own caption over the dialog's; an empty one leaves the
// dialog's (from its template) as it is.
void SetCaption(HWND dialog, const char* caption);

}  // namespace tarnwick
