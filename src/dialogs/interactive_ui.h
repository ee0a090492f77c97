// The run's UI with its progress window. The thread that makes it (the main
// thread) owns every window of the run and serves the calls of the worker
// thread that runs the run: a call is handed over through an event and
// waited for, so the worker never touches a window. Cancel asks first;
// confirmed, it sets the run's Cancel event and the progress window goes.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "base/win32/cancel_event.h"
#include "base/win32/scoped_handle.h"
#include "dialogs/run_ui.h"

namespace tarnwick {

class InteractiveUi final : public RunUi {
  public:
    // On the main thread: shows the progress window. `caption` is the
    // installer's title for every window and box of the run; empty, the
    // dialogs keep their own and the boxes say string 8.
    InteractiveUi(const CancelEvent& cancel, std::string caption);
    ~InteractiveUi() override;  // leaves the window to the process's end
    InteractiveUi(const InteractiveUi&) = delete;
    InteractiveUi& operator=(const InteractiveUi&) = delete;

    // Runs `work` on a worker thread and serves the windows and the worker's
    // calls until it has ended. After a confirmed abort the worker ends on
    // its own at its next look at the Cancel event; only one that has not
    // ended after kWorkerGraceMs is stopped by force.
    void RunWorker(const std::function<void()>& work);

    // Called by the worker. Once the run is cancelled they return at once:
    // no status, no question (consent and browse answer Cancel), no box.
    void SetStatus(int textId) override;
    void HideProgress() override;
    void ShowProgress() override;
    bool AskBundledJvmConsent() override;
    BrowseAnswer BrowseForJvm(std::string* path) override;
    void ShowError(int textId, BoxOwner owner) override;

  private:
    enum class Kind { Status, Hide, Show, Consent, Browse, Error };
    struct Request {
        Kind kind = Kind::Status;
        int textId = 0;
        BoxOwner owner = BoxOwner::Progress;
    };
    // Worker side: hands `request` to the UI thread and waits for its answer
    // or the Cancel; the answer, or 0 when cancelled.
    INT_PTR Call(const Request& request);
    // UI side.
    void Serve();
    INT_PTR Perform(const Request& request);
    void ConfirmCancel();
    void PumpMessages();
    static INT_PTR CALLBACK ProgressProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

    const CancelEvent& cancel_;
    std::string caption_;  // the installer's, or empty
    std::string title_;    // the message boxes' caption
    HWND progress_ = nullptr;  // null once the run is aborted
    HWND statusLine_ = nullptr;
    // The one call in flight: written by the worker before `requested_` is
    // set, answered by the UI thread before `answered_` is set.
    Request request_;
    INT_PTR answer_ = 0;
    std::string chosenPath_;
    ScopedKernelHandle requested_;
    ScopedKernelHandle answered_;
};

// How long a confirmed abort waits for the worker before stopping it by
// force: far longer than any of its waits takes to notice the Cancel.
constexpr DWORD kWorkerGraceMs = 10000;

}  // namespace tarnwick
