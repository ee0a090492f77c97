#include "dialogs/progress_dialog.h"

#include <commctrl.h>

#include "base/win32/own_module.h"
#include "base/win32/string_table.h"
#include "dialogs/center_window.h"
#include "dialogs/consent_dialogs.h"
#include "resources/resource_ids.h"

namespace tarnwick {
namespace {

// The bar shows no real progress: a tick a second keeps it moving as a sign
// of life, ten steps to the end and round again.
constexpr UINT_PTR kProgressTimer = 1001;
constexpr UINT kTickMs = 1000;

// Cancel asks first. Confirmed, the run is over: the main loop ends and the
// entry point stops the worker wherever it is.
void ConfirmCancel(HWND dialog) {
    ::ShowWindow(dialog, SW_HIDE);
    if (ShowAbortDialog(dialog, InstanceHandle) == IDOK) {
        AbortRequested = true;
        ::DestroyWindow(dialog);
        ::PostQuitMessage(0);
        return;
    }
    ::ShowWindow(dialog, SW_SHOW);
}

INT_PTR CALLBACK ProgressDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            CenterWindow(dialog);
            StatusLine = ::GetDlgItem(dialog, IDC_PROGRESS_STATUS);
            ::SetTimer(dialog, kProgressTimer, kTickMs, nullptr);
            ::SendDlgItemMessageA(dialog, IDC_PROGRESS_BAR, PBM_SETPOS, 0, 0);
            ::SetDlgItemTextA(dialog, IDC_PROGRESS_NOTE,
                              LoadText(IDS_PREPARING, kPreparingTextCapacity).c_str());
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDCANCEL && HIWORD(wParam) == 0) {
                ConfirmCancel(dialog);
                return TRUE;
            }
            return FALSE;
        case WM_TIMER:
            // Past the end of its range the bar starts again from the start.
            ::SendDlgItemMessageA(dialog, IDC_PROGRESS_BAR, PBM_STEPIT, 0, 0);
            return TRUE;
        case WM_CTLCOLORSTATIC:
            // Text on the dialog's own background; no brush of ours.
            ::SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
            return FALSE;
        case WM_HIDEPROGRESS:
            // Still shown, so it keeps its place, but nothing of it is seen.
            ::SetWindowRgn(dialog, ::CreateRectRgn(0, 0, 0, 0), TRUE);
            return TRUE;
        case WM_SHOWPROGRESS:
            ::ShowWindow(dialog, SW_SHOWNORMAL);
            ::SetForegroundWindow(dialog);
            ::SetWindowRgn(dialog, nullptr, TRUE);
            return TRUE;
        case WM_DESTROY:
            ::KillTimer(dialog, kProgressTimer);
            return FALSE;
    }
    return FALSE;
}

}  // namespace

bool AbortRequested = false;
HWND ProgressWindow = nullptr;
HWND StatusLine = nullptr;

void SetStatusText(int id) {
    if (StatusLine == nullptr) return;
    ::SetWindowTextA(StatusLine, LoadText(id, kStatusTextCapacity).c_str());
}

void SendProgressMessage(UINT message) {
    if (ProgressWindow != nullptr) ::SendMessageA(ProgressWindow, message, 0, 0);
}

HWND CreateProgressDialog(HINSTANCE instance) {
    return ::CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_PROGRESS), nullptr,
                                &ProgressDialogProc, 0);
}

}  // namespace tarnwick
