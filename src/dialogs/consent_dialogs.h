#pragma once

#include <windows.h>

namespace tarnwick {

// Consent to run the JVM installer shipped in the package: IDOK or IDCANCEL.
INT_PTR ShowBundledJvmDialog(HWND owner, HINSTANCE instance);

// Confirms a Cancel in the progress dialog: IDOK to abort, IDCANCEL to go on.
INT_PTR ShowAbortDialog(HWND owner, HINSTANCE instance);

}  // namespace tarnwick
