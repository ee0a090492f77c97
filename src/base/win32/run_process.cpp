#include "base/win32/run_process.h"

#include <windows.h>

#include <vector>

#include "base/process_command_line.h"
#include "base/win32/scoped_handle.h"

namespace tarnwick {
namespace {

bool IsWindows9x() {
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!::GetVersionExA(&version)) return false;
#pragma GCC diagnostic pop
    return version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
}

// On Windows 9x CREATE_NO_WINDOW does not keep a console program's window
// away, so the first visible top-level window of the child's main thread is
// hidden by hand. The child may not have made it yet, hence the pause.
void HideChildWindow(DWORD childThreadId) {
    ::Sleep(500);
    for (int pass = 0; pass < 10; ++pass) {
        for (HWND window = ::GetWindow(::GetDesktopWindow(), GW_CHILD); window != nullptr;
             window = ::GetWindow(window, GW_HWNDNEXT)) {
            if (::GetWindowThreadProcessId(window, nullptr) == childThreadId &&
                ::IsWindowVisible(window)) {
                ::ShowWindow(window, SW_HIDE);
                return;
            }
        }
    }
}

// Only paint and private messages are served while waiting; input and timer
// messages are dropped so the user cannot drive a window meanwhile.
void ServeWaitingMessages() {
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if ((message.message >= WM_USER && message.message <= 0xFFFF) ||
            message.message == WM_PAINT) {
            ::TranslateMessage(&message);
            ::DispatchMessageA(&message);
        }
    }
}

}  // namespace

bool RunProcess(const std::string& executable, const std::string& arguments, bool wait,
                bool hidden, bool forceShow, unsigned long* exitCode) {
    std::string line = ComposeProcessCommandLine(executable, arguments);
    std::vector<char> writable(line.begin(), line.end());
    writable.push_back('\0');

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = (!hidden || forceShow) ? SW_SHOWNORMAL : SW_HIDE;

    PROCESS_INFORMATION info = {};
    if (!::CreateProcessA(nullptr, writable.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                          nullptr, nullptr, &startup, &info)) {
        return false;
    }
    ScopedHandle process(info.hProcess);
    ScopedHandle thread(info.hThread);
    if (!wait) return true;

    const bool hideWindow = !hidden && !forceShow && IsWindows9x();
    for (;;) {
        if (hideWindow) HideChildWindow(info.dwThreadId);
        HANDLE handles[] = {process.Get()};
        const DWORD woken = ::MsgWaitForMultipleObjects(1, handles, FALSE, INFINITE,
                                                        QS_PAINT | QS_SENDMESSAGE);
        if (woken == WAIT_OBJECT_0) {
            if (exitCode != nullptr && !::GetExitCodeProcess(process.Get(), exitCode)) *exitCode = 0;
            return true;
        }
        if (woken != WAIT_OBJECT_0 + 1) return false;
        ServeWaitingMessages();
    }
}

}  // namespace tarnwick
