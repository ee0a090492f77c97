// The child's part: the arguments after "--child" are a list of actions,
// done in order.
//
//   mark FILE             write this executable's own path to FILE, so the
//                         test can tell which program actually ran
//   sleep MS              sleep MS milliseconds
//   exit N                end at once with exit code N
//   window MS FILE        show a top-level window the way a GUI program shows
//                         its main window, serve its messages for MS milliseconds,
//                         then write "visible=1" or "visible=0" to FILE
//   win98-run OUT EXE FORCE WINFILE
//                         write "platform=N" (GetVersionEx) to OUT; on
//                         platform 1 also RunProcess(EXE, "--child window
//                         2500 WINFILE", wait, shown, forceShow=FORCE) and
//                         add " ran=0|1"
//
// Reports are written to FILE.part and renamed into place, so a file that
// exists is complete. A malformed list ends the child with code 99.
#include "tests/wine/child_process.h"

#include <windows.h>

#include <cstdlib>
#include <string>

#include "base/win32/run_process.h"
#include "tests/wine/wine_test_util.h"

namespace tarnwick::test {
namespace {

bool Report(const std::string& file, const std::string& text) {
    const std::string part = file + ".part";
    return WriteWholeFile(part, text) &&
           ::MoveFileExA(part.c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING);
}

bool ShowWindowFor(DWORD ms, const std::string& file) {
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = &::DefWindowProcA;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = "TarnwickChildWindow";
    ::RegisterClassA(&windowClass);
    HWND window = ::CreateWindowExA(0, windowClass.lpszClassName, "tarnwick child",
                                    WS_OVERLAPPEDWINDOW, 40, 40, 300, 200, nullptr, nullptr,
                                    instance, nullptr);
    if (window == nullptr) return false;
    // With the show command a GUI program gets as WinMain's nCmdShow: the
    // starter's, when its startup information carries one.
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    ::GetStartupInfoA(&startup);
    ::ShowWindow(window, (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWDEFAULT);
    ::UpdateWindow(window);

    const DWORD start = ::GetTickCount();
    for (DWORD elapsed; (elapsed = ::GetTickCount() - start) < ms;) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - elapsed, QS_ALLINPUT);
        MSG message;
        while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageA(&message);
        }
    }
    // The window goes with the process.
    return Report(file, ::IsWindowVisible(window) ? "visible=1" : "visible=0");
}

DWORD PlatformId() {
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!::GetVersionExA(&version)) return 0;
#pragma GCC diagnostic pop
    return version.dwPlatformId;
}

bool Win98Run(const std::string& out, const std::string& exe, bool force,
              const std::string& windowFile) {
    const DWORD platform = PlatformId();
    std::string text = "platform=" + std::to_string(platform);
    if (platform == VER_PLATFORM_WIN32_WINDOWS) {
        const bool ran = RunProcess(exe, "--child window 2500 " + Quoted(windowFile), true, false, force);
        text += ran ? " ran=1" : " ran=0";
    }
    return Report(out, text);
}

}  // namespace

int RunChild(int argc, char** argv) {
    for (int i = 0; i < argc; ++i) {
        const std::string verb = argv[i];
        const int left = argc - i - 1;
        if (verb == "mark" && left >= 1) {
            if (!Report(argv[++i], OwnExePath())) return 91;
        } else if (verb == "sleep" && left >= 1) {
            ::Sleep(static_cast<DWORD>(std::atoi(argv[++i])));
        } else if (verb == "exit" && left >= 1) {
            return std::atoi(argv[i + 1]);
        } else if (verb == "window" && left >= 2) {
            if (!ShowWindowFor(static_cast<DWORD>(std::atoi(argv[i + 1])), argv[i + 2])) return 92;
            i += 2;
        } else if (verb == "win98-run" && left >= 4) {
            if (!Win98Run(argv[i + 1], argv[i + 2], std::atoi(argv[i + 3]) != 0, argv[i + 4])) return 93;
            i += 4;
        } else {
            return 99;
        }
    }
    return 0;
}

}  // namespace tarnwick::test
