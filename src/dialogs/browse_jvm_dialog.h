#pragma once

#include <windows.h>

#include <string>

namespace tarnwick {

// Asks the user for a JVM executable. On OK `path` (260 characters) receives
// the edit field's text as typed or picked; the result is IDOK or IDCANCEL.
// `caption`: the installer's title, or empty for the dialog's own.
INT_PTR ShowBrowseJvmDialog(HWND owner, HINSTANCE instance, char* path, const std::string& caption);

}  // namespace tarnwick
