// Saves what the screen shows of a window as a PNG file, so a test run can
// leave pictures of its dialogs for review.
#pragma once

#include <windows.h>

// Copies the window's rectangle from the screen (it must be on top and
// painted) and writes it to `path` as a 24-bit PNG. False when the window has
// no area, the copy fails or the file cannot be written.
bool SaveWindowShot(HWND window, const wchar_t* path);
