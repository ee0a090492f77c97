#pragma once

#include <windows.h>

#include <string>

namespace tarnwick {

// Consent to run the JVM installer shipped in the package: IDOK or IDCANCEL.
// `caption` is the installer's title, or empty for the dialog's own (as in
// every dialog of the run).
INT_PTR ShowBundledJvmDialog(HWND owner, HINSTANCE instance, const std::string& caption);

// Confirms a Cancel in the progress dialog: IDOK to abort, IDCANCEL to go on.
INT_PTR ShowAbortDialog(HWND owner, HINSTANCE instance, const std::string& caption);

}  // namespace tarnwick
