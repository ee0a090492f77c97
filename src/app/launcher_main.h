#pragma once

#include <windows.h>

namespace tarnwick {

// The whole program: options, log, run sequence, in silent or interactive
// mode. Always returns 0; the outcome of the run is in the log.
int LauncherMain(HINSTANCE instance, const char* commandLine);

}  // namespace tarnwick
