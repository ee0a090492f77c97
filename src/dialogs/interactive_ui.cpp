#include "dialogs/interactive_ui.h"

#include <commctrl.h>

#include "base/win32/lazy_system_functions.h"
#include "base/win32/own_module.h"
#include "base/win32/string_table.h"
#include "dialogs/browse_jvm_dialog.h"
#include "dialogs/center_window.h"
#include "dialogs/consent_dialogs.h"
#include "dialogs/modal_dialog.h"
#include "resources/resource_ids.h"

namespace tarnwick {
namespace {

// The bar shows no real progress: a tick a second keeps it moving as a sign
// of life, ten steps to the end and round again.
constexpr UINT_PTR kProgressTimer = 1001;
constexpr UINT kTickMs = 1000;

DWORD WINAPI WorkerStart(LPVOID work) {
    (*static_cast<const std::function<void()>*>(work))();
    return 0;
}

}  // namespace

InteractiveUi::InteractiveUi(const CancelEvent& cancel, std::string caption)
    : cancel_(cancel),
      caption_(std::move(caption)),
      requested_(::CreateEventA(nullptr, FALSE, FALSE, nullptr)),
      answered_(::CreateEventA(nullptr, FALSE, FALSE, nullptr)) {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
    LazyInitCommonControlsEx(&controls);
    title_ = caption_.empty() ? LoadText(IDS_TITLE, kTitleCapacity) : caption_;
    progress_ = ::CreateDialogParamA(OwnModule(), MAKEINTRESOURCEA(IDD_PROGRESS), nullptr, &ProgressProc,
                                     reinterpret_cast<LPARAM>(this));
    if (progress_ != nullptr) ::ShowWindow(progress_, SW_SHOWNORMAL);
}

// The progress window stays up until the process ends, as it did before the
// run's files were deleted: taking it down would only show it going.
InteractiveUi::~InteractiveUi() = default;

void InteractiveUi::RunWorker(const std::function<void()>& work) {
    ScopedKernelHandle worker(::CreateThread(nullptr, 0, &WorkerStart, const_cast<std::function<void()>*>(&work),
                                             0, nullptr));
    if (!worker.IsValid()) return;
    DWORD abortedAt = 0;
    bool aborted = false;
    for (;;) {
        if (!aborted && cancel_.IsSet()) {
            aborted = true;
            abortedAt = ::GetTickCount();
        }
        DWORD timeout = INFINITE;
        if (aborted) {
            const DWORD waited = ::GetTickCount() - abortedAt;
            timeout = waited < kWorkerGraceMs ? kWorkerGraceMs - waited : 0;
        }
        HANDLE handles[] = {worker.Get(), requested_.Get()};
        const DWORD woken = ::MsgWaitForMultipleObjects(2, handles, FALSE, timeout, QS_ALLINPUT);
        if (woken == WAIT_OBJECT_0) return;
        if (woken == WAIT_OBJECT_0 + 1) {
            Serve();
        } else if (woken == WAIT_OBJECT_0 + 2) {
            PumpMessages();
        } else if (woken == WAIT_TIMEOUT) {
            // The last resort: a worker stuck where it cannot look at the
            // Cancel (a hung file system, say). It may hold a lock the run's
            // clean-up then waits for; nothing else is left to try.
            ::TerminateThread(worker.Get(), 0);
            ::WaitForSingleObject(worker.Get(), INFINITE);
            return;
        } else {
            return;
        }
    }
}

void InteractiveUi::PumpMessages() {
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (progress_ != nullptr && ::IsDialogMessageA(progress_, &message)) continue;
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
}

INT_PTR InteractiveUi::Call(const Request& request) {
    if (cancel_.IsSet()) return 0;
    request_ = request;
    ::SetEvent(requested_.Get());
    HANDLE handles[] = {answered_.Get(), cancel_.Handle()};
    const DWORD count = handles[1] != nullptr ? 2 : 1;
    return ::WaitForMultipleObjects(count, handles, FALSE, INFINITE) == WAIT_OBJECT_0 ? answer_ : 0;
}

void InteractiveUi::Serve() {
    // A call made just before the abort was confirmed: its caller has gone
    // back to the run, which is ending.
    if (cancel_.IsSet()) return;
    answer_ = Perform(request_);
    ::SetEvent(answered_.Get());
}

INT_PTR InteractiveUi::Perform(const Request& request) {
    switch (request.kind) {
        case Kind::Status:
            if (statusLine_ != nullptr) {
                ::SetWindowTextA(statusLine_, LoadText(request.textId, kStatusTextCapacity).c_str());
            }
            return 0;
        case Kind::Hide:
            // Still shown, so it keeps its place, but nothing of it is seen.
            if (progress_ != nullptr) ::SetWindowRgn(progress_, ::CreateRectRgn(0, 0, 0, 0), TRUE);
            return 0;
        case Kind::Show:
            if (progress_ != nullptr) {
                ::ShowWindow(progress_, SW_SHOWNORMAL);
                ::SetForegroundWindow(progress_);
                ::SetWindowRgn(progress_, nullptr, TRUE);
            }
            return 0;
        case Kind::Consent:
            return ShowBundledJvmDialog(progress_, OwnModule(), caption_);
        case Kind::Browse: {
            char chosen[MAX_PATH] = {};
            const INT_PTR answer = ShowBrowseJvmDialog(progress_, OwnModule(), chosen, caption_);
            chosenPath_ = chosen;
            return answer;
        }
        case Kind::Error:
            ShowErrorBox(request.owner == BoxOwner::Progress ? progress_ : nullptr, request.textId, title_);
            return 0;
    }
    return 0;
}

void InteractiveUi::SetStatus(int textId) { Call({Kind::Status, textId}); }
void InteractiveUi::HideProgress() { Call({Kind::Hide}); }
void InteractiveUi::ShowProgress() { Call({Kind::Show}); }
bool InteractiveUi::AskBundledJvmConsent() { return Call({Kind::Consent}) == IDOK; }

RunUi::BrowseAnswer InteractiveUi::BrowseForJvm(std::string* path) {
    if (Call({Kind::Browse}) != IDOK) return BrowseAnswer::Cancelled;
    *path = chosenPath_;
    return BrowseAnswer::Chosen;
}

void InteractiveUi::ShowError(int textId, BoxOwner owner) { Call({Kind::Error, textId, owner}); }

// Cancel asks first. Confirmed, the run is over: the Cancel event tells the
// worker, and the progress window goes at once.
void InteractiveUi::ConfirmCancel() {
    ::ShowWindow(progress_, SW_HIDE);
    if (ShowAbortDialog(progress_, OwnModule(), caption_) == IDOK) {
        cancel_.Set();
        const HWND progress = progress_;
        progress_ = nullptr;
        statusLine_ = nullptr;
        ::DestroyWindow(progress);
        return;
    }
    ::ShowWindow(progress_, SW_SHOW);
}

INT_PTR CALLBACK InteractiveUi::ProgressProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<InteractiveUi*>(::GetWindowLongPtrA(dialog, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG:
            ::SetWindowLongPtrA(dialog, DWLP_USER, lParam);
            self = reinterpret_cast<InteractiveUi*>(lParam);
            SetCaption(dialog, self->caption_.c_str());
            CenterWindow(dialog);
            self->statusLine_ = ::GetDlgItem(dialog, IDC_PROGRESS_STATUS);
            ::SetTimer(dialog, kProgressTimer, kTickMs, nullptr);
            ::SendDlgItemMessageA(dialog, IDC_PROGRESS_BAR, PBM_SETPOS, 0, 0);
            ::SetDlgItemTextA(dialog, IDC_PROGRESS_NOTE, LoadText(IDS_PREPARING, kPreparingTextCapacity).c_str());
            return TRUE;
        case WM_COMMAND:
            if (self != nullptr && self->progress_ == dialog && LOWORD(wParam) == IDCANCEL && HIWORD(wParam) == 0) {
                self->ConfirmCancel();
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
        case WM_DESTROY:
            ::KillTimer(dialog, kProgressTimer);
            return FALSE;
    }
    return FALSE;
}

}  // namespace tarnwick
