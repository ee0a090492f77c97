#include "ui/progress_dialog.h"

#include "app/process_windows.h"
#include "resources/resource_ids.h"
#include "ui/center_window.h"

namespace tarnwick {
namespace {

// For now the dialog shows the status line only; the moving bar, the
// preparing note and Cancel with its confirmation come with the dialogs.
INT_PTR CALLBACK ProgressDialogProc(HWND dialog, UINT message, WPARAM, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            CenterWindow(dialog);
            StatusLine = ::GetDlgItem(dialog, IDC_PROGRESS_STATUS);
            return TRUE;
        case WM_HIDEPROGRESS:
            ::ShowWindow(dialog, SW_HIDE);
            return TRUE;
        case WM_SHOWPROGRESS:
            ::ShowWindow(dialog, SW_SHOW);
            ::SetForegroundWindow(dialog);
            return TRUE;
    }
    return FALSE;
}

}  // namespace

void SendProgressMessage(UINT message) {
    if (ProgressWindow != nullptr) ::SendMessageA(ProgressWindow, message, 0, 0);
}

HWND CreateProgressDialog(HINSTANCE instance) {
    return ::CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_PROGRESS), nullptr,
                                &ProgressDialogProc, 0);
}

}  // namespace tarnwick
