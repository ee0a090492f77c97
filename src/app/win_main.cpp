#include <windows.h>

#include "app/launcher_main.h"
#include "base/win32/system_library.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // Before anything can load a DLL by name.
    tarnwick::RestrictDllSearch();
    return tarnwick::LauncherMain(instance);
}
