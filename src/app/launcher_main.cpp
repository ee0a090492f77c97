#include "app/launcher_main.h"

#include <commctrl.h>

#include "app/launcher_app.h"
#include "base/path_rules.h"
#include "base/win32/ansi_text.h"
#include "base/win32/lazy_system_functions.h"
#include "base/win32/own_module.h"
#include "base/win32/scoped_handle.h"
#include "base/win32/string_table.h"
#include "dialogs/progress_dialog.h"
#include "resources/resource_ids.h"

namespace tarnwick {
namespace {

// Constructed before the entry point runs; its destructor deletes the
// temporary files at process exit, whatever way the run ended.
LauncherApp App;

// Where the worker thread posts WM_QUIT when the run sequence ends.
DWORD MainThreadId = 0;

DWORD WINAPI WorkerThread(LPVOID) {
    App.Run();
    ::PostThreadMessageA(MainThreadId, WM_QUIT, 0, 0);
    return 0;
}

void RunInteractive() {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
    LazyInitCommonControlsEx(&controls);
    App.title = LoadText(IDS_TITLE, kTitleCapacity);
    ProgressWindow = CreateProgressDialog(InstanceHandle);
    if (ProgressWindow != nullptr) ::ShowWindow(ProgressWindow, SW_SHOWNORMAL);
    MainThreadId = ::GetCurrentThreadId();

    ScopedKernelHandle worker(::CreateThread(nullptr, 0, &WorkerThread, nullptr, 0, nullptr));
    if (!worker.IsValid()) return;

    MSG message;
    while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (ProgressWindow != nullptr && ::IsDialogMessageA(ProgressWindow, &message)) continue;
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
    // The user confirmed Cancel: the worker is still somewhere in the run.
    if (AbortRequested) App.EndAbortedRun(worker.Get());
}

}  // namespace

int LauncherMain(HINSTANCE instance, const char* commandLine) {
    InstanceHandle = instance;
    char ownPath[MAX_PATH + 1] = {};
    const DWORD length = ::GetModuleFileNameA(nullptr, ownPath, MAX_PATH);
    OwnPath.assign(ownPath, length <= MAX_PATH ? length : 0);

    App.Initialize(FromAnsi(BaseFolderOf(OwnPath)), FromAnsi(commandLine ? commandLine : ""));
    if (App.silent) {
        App.Run();
    } else {
        RunInteractive();
    }
    return App.ExitCode();
}

}  // namespace tarnwick
