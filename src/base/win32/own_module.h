// The running executable, recorded once by the entry point: every string,
// dialog and icon comes from its module, and the package is read from its file.
#pragma once

#include <windows.h>

#include <string>

namespace tarnwick {

extern HINSTANCE InstanceHandle;
// Full path of the running executable.
extern std::string OwnPath;

}  // namespace tarnwick
