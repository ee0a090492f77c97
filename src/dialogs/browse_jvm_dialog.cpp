#include "dialogs/browse_jvm_dialog.h"

#include <commdlg.h>
#include <shellapi.h>

#include <string>

#include "base/win32/ansi_text.h"
#include "base/win32/lazy_system_functions.h"
#include "dialogs/center_window.h"
#include "dialogs/modal_dialog.h"
#include "resources/resource_ids.h"

namespace tarnwick {
namespace {

constexpr int kPathCapacity = MAX_PATH;

// Lives as long as one showing of the dialog.
struct BrowseState {
    char* path = nullptr;
    const char* caption = nullptr;
    HBRUSH background = nullptr;
    HFONT underlined = nullptr;
};

// Picked wide, so that a JVM below a folder whose name the code page lacks
// goes into the field in the short form that still names it.
void PickExecutable(HWND dialog) {
    wchar_t file[kPathCapacity] = {};
    OPENFILENAMEW open = {};
    open.lStructSize = sizeof open;
    open.hwndOwner = dialog;
    open.lpstrFilter = L"Executable Files (*.exe)\0*.exe\0";
    open.lpstrFile = file;
    open.nMaxFile = kPathCapacity;
    open.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    // Cancelled or failed: the edit field keeps what it has.
    std::string path;
    if (LazyGetOpenFileNameW(&open) && AnsiPath(file, &path)) ::SetDlgItemTextA(dialog, IDC_JVM_PATH, path.c_str());
}

// The note is drawn underlined and blue, like a link, in the dialog's font.
HBRUSH ColourStatic(BrowseState* state, HDC dc, HWND control) {
    ::SetBkMode(dc, TRANSPARENT);
    if (::GetDlgCtrlID(control) == IDC_DOWNLOAD_NOTE) {
        if (state->underlined == nullptr) {
            LOGFONTA font = {};
            ::GetObjectA(reinterpret_cast<HFONT>(::SendMessageA(control, WM_GETFONT, 0, 0)), sizeof font, &font);
            font.lfUnderline = TRUE;
            state->underlined = ::CreateFontIndirectA(&font);
        }
        ::SelectObject(dc, state->underlined);
        ::SetTextColor(dc, RGB(0, 0, 255));
    }
    return state->background;
}

bool ClickedOnNote(HWND dialog, LPARAM position) {
    POINT click = {static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
    ::ClientToScreen(dialog, &click);
    RECT note;
    return ::GetWindowRect(::GetDlgItem(dialog, IDC_DOWNLOAD_NOTE), &note) && ::PtInRect(&note, click);
}

INT_PTR CALLBACK BrowseJvmProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<BrowseState*>(::GetWindowLongPtrA(dialog, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG:
            ::SetWindowLongPtrA(dialog, DWLP_USER, lParam);
            state = reinterpret_cast<BrowseState*>(lParam);
            state->background = ::CreateSolidBrush(::GetSysColor(COLOR_BTNFACE));
            SetCaption(dialog, state->caption);
            CenterWindow(dialog);
            ::ShowWindow(dialog, SW_SHOWNORMAL);
            ::SetForegroundWindow(dialog);
            return TRUE;
        case WM_COMMAND:
            if (HIWORD(wParam) != 0) return FALSE;
            switch (LOWORD(wParam)) {
                case IDOK:
                    ::GetDlgItemTextA(dialog, IDC_JVM_PATH, state->path, kPathCapacity);
                    ::EndDialog(dialog, IDOK);
                    return TRUE;
                case IDCANCEL:
                    ::EndDialog(dialog, IDCANCEL);
                    return TRUE;
                case IDC_BROWSE:
                    PickExecutable(dialog);
                    return TRUE;
            }
            return FALSE;
        case WM_CTLCOLORSTATIC:
            return state == nullptr
                       ? FALSE
                       : reinterpret_cast<INT_PTR>(ColourStatic(state, reinterpret_cast<HDC>(wParam),
                                                                reinterpret_cast<HWND>(lParam)));
        case WM_LBUTTONUP:
            if (ClickedOnNote(dialog, lParam)) {
                LazyShellExecuteA(dialog, nullptr, JVM_DOWNLOAD_ADDRESS, nullptr, nullptr, SW_SHOWNORMAL);
            }
            return TRUE;
        case WM_DESTROY:
            if (state != nullptr) {
                if (state->background != nullptr) ::DeleteObject(state->background);
                if (state->underlined != nullptr) ::DeleteObject(state->underlined);
            }
            return FALSE;
    }
    return FALSE;
}

}  // namespace

INT_PTR ShowBrowseJvmDialog(HWND owner, HINSTANCE instance, char* path, const std::string& caption) {
    BrowseState state;
    state.path = path;
    state.caption = caption.c_str();
    return ShowModalDialog(owner, instance, IDD_BROWSE_JVM, &BrowseJvmProc, reinterpret_cast<LPARAM>(&state));
}

}  // namespace tarnwick
