#include "dialogs/consent_dialogs.h"

#include "dialogs/center_window.h"
#include "dialogs/modal_dialog.h"
#include "resources/resource_ids.h"

namespace tarnwick {
namespace {

// OK and Cancel (also Escape and the close box) end the dialog with their id.
INT_PTR EndOnOkOrCancel(HWND dialog, WPARAM wParam) {
    if (HIWORD(wParam) != 0 || (LOWORD(wParam) != IDOK && LOWORD(wParam) != IDCANCEL)) return FALSE;
    ::EndDialog(dialog, LOWORD(wParam));
    return TRUE;
}

INT_PTR CALLBACK BundledJvmProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            SetCaption(dialog, reinterpret_cast<const char*>(lParam));
            CenterWindow(dialog);
            ::ShowWindow(dialog, SW_SHOWNORMAL);
            ::SetForegroundWindow(dialog);
            return TRUE;
        case WM_COMMAND:
            return EndOnOkOrCancel(dialog, wParam);
    }
    return FALSE;
}

// Unlike the consent dialog it is neither shown nor brought forward by hand:
// it comes up over the progress dialog that asked for it.
INT_PTR CALLBACK AbortProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            SetCaption(dialog, reinterpret_cast<const char*>(lParam));
            CenterWindow(dialog);
            return TRUE;
        case WM_COMMAND:
            return EndOnOkOrCancel(dialog, wParam);
    }
    return FALSE;
}

}  // namespace

INT_PTR ShowAbortDialog(HWND owner, HINSTANCE instance, const std::string& caption) {
    return ShowModalDialog(owner, instance, IDD_ABORT, &AbortProc, reinterpret_cast<LPARAM>(caption.c_str()));
}

INT_PTR ShowBundledJvmDialog(HWND owner, HINSTANCE instance, const std::string& caption) {
    return ShowModalDialog(owner, instance, IDD_BUNDLED_JVM, &BundledJvmProc,
                           reinterpret_cast<LPARAM>(caption.c_str()));
}

}  // namespace tarnwick
