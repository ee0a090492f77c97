// The running executable: every string, dialog and icon comes from its
// module, and the package is read from its file. Both are asked of the
// system, so nothing is recorded in a global.
#pragma once

#include <windows.h>

#include <string>

namespace tarnwick {

// The executable's module (for an executable, the instance WinMain gets).
inline HINSTANCE OwnModule() { return ::GetModuleHandleA(nullptr); }

// Full path of the running executable, in the form the 8-bit API opens
// (8.3 where the code page lacks a character of it); empty when it does not
// fit MAX_PATH or has no such form.
std::string OwnExecutablePath();

// The command line after the program name, as WinMain gets it but in UTF-16:
// a path on it keeps the characters the code page lacks.
std::u16string OwnCommandLineArguments();

}  // namespace tarnwick
