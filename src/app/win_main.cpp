#include <windows.h>

#include "app/launcher_main.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    return tarnwick::LauncherMain(instance, commandLine);
}
