#pragma once

#include <windows.h>

namespace tarnwick {

// The whole program: options (from the process's own command line), log,
// run sequence, in silent or interactive mode. Returns the exit code.
int LauncherMain(HINSTANCE instance);

}  // namespace tarnwick
