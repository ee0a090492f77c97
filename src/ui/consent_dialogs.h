#pragma once

#include <windows.h>

namespace tarnwick {

// Consent to run the JVM installer shipped in the package: IDOK or IDCANCEL.
INT_PTR ShowBundledJvmDialog(HWND owner, HINSTANCE instance);

}  // namespace tarnwick
