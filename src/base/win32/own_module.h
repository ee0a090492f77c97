// The running executable: every string, dialog and icon comes from its
// module, and the package is read from its file. Both are asked of the
// system, so nothing is recorded in a global.
#pragma once

#include <windows.h>

#include <string>

namespace tarnwick {

// The executable's module (for an executable, the instance WinMain gets).
inline HINSTANCE OwnModule() { return ::GetModuleHandleA(nullptr); }

// Full path of the running executable; empty when it does not fit MAX_PATH.
std::string OwnExecutablePath();

}  // namespace tarnwick
