#pragma once

#include <windows.h>

namespace tarnwick {

// Centres a window on its parent (a dialog's owner) or on the screen.
void CenterWindow(HWND window);

}  // namespace tarnwick
