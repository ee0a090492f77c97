#pragma once

#include <windows.h>

namespace tarnwick {

// Asks the user for a JVM executable. On OK `path` (260 characters) receives
// the edit field's text as typed or picked; the result is IDOK or IDCANCEL.
INT_PTR ShowBrowseJvmDialog(HWND owner, HINSTANCE instance, char* path);

}  // namespace tarnwick
