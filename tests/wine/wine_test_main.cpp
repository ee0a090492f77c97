// The tests start this same executable as their child: after "--child" come
// actions, done in order (exit code 99: a malformed list, 90: one failed):
//   mark FILE   this executable's path into FILE      sleep MS / exit N
//   pid         its process id to standard output     platform FILE  "platform=N" into FILE
//   flood N     N bytes "abc...zabc..." to standard output; 0: for ever
//   run EXE HIDDEN FORCESHOW ACTIONS...  RunProcess EXE with "--child ACTIONS", waited for
//   window MS FILE  show a window as a GUI program shows its main window, serve
//               it MS ms or until hidden, then "visible=1" or "visible=0" into FILE
//   hidden-box FILE  in a window station nobody sees, a silent run's error box
//               with the install log at FILE
#include <gtest/gtest.h>

#include <thread>

#include "tests/wine/wine_test_util.h"
#include "base/win32/install_log.h"
#include "base/win32/run_process.h"
#include "dialogs/silent_ui.h"
#include "resources/resource_ids.h"

#pragma GCC diagnostic ignored "-Wdeprecated-declarations"  // GetVersionExA: its platform id is the point

namespace tarnwick::test {
namespace {

bool Print(const std::string& text) {
    DWORD written = 0;
    return ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), text.data(), DWORD(text.size()), &written, nullptr);
}
bool ShowWindowFor(DWORD ms, const std::string& file) {
    HWND window = ::CreateWindowExA(0, "STATIC", "child", WS_OVERLAPPEDWINDOW, 40, 40, 300, 200, 0, 0, 0, 0);
    STARTUPINFOA startup = {};  // the starter's show command is WinMain's nCmdShow
    ::GetStartupInfoA(&startup);
    ::ShowWindow(window, (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWDEFAULT);
    // Ending once hidden lets a slow hider, as under load, take the time it needs.
    for (DWORD start = ::GetTickCount(), elapsed;
         ::IsWindowVisible(window) && (elapsed = ::GetTickCount() - start) < ms;) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - elapsed, QS_ALLINPUT);
        for (MSG message; ::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE);) ::DispatchMessageA(&message);
    }
    return WriteWholeFile(file, ::IsWindowVisible(window) ? "visible=1" : "visible=0");
}

}  // namespace

int RunChild(int argc, char** argv) {
    for (int i = 0; i < argc; ++i) {
        const std::string verb = argv[i];
        const auto arg = [&](int n) { return i + n < argc ? std::strtoul(argv[i + n], nullptr, 10) : 0ul; };
        const auto file = [&](int n) { return std::string(i + n < argc ? argv[i + n] : ""); };
        bool ok = true;
        if (verb == "mark") {
            ok = WriteWholeFile(file(1), OwnExePath()), ++i;
        } else if (verb == "sleep") {
            ::Sleep(arg(1)), ++i;
        } else if (verb == "exit") {
            return static_cast<int>(arg(1));
        } else if (verb == "pid") {
            ok = Print(std::to_string(::GetCurrentProcessId()));
        } else if (verb == "flood") {
            const std::string letters = Letters(26 * 40);
            for (size_t done = 0, total = arg(1); ok && (total == 0 || done < total); done += letters.size())
                ok = Print(letters.substr(0, total == 0 ? letters.size() : total - done));
            ++i;
        } else if (verb == "platform") {
            OSVERSIONINFOA os = {};
            os.dwOSVersionInfoSize = sizeof os;
            ok = ::GetVersionExA(&os) && WriteWholeFile(file(1), "platform=" + std::to_string(os.dwPlatformId));
            ++i;
        } else if (verb == "run") {
            // On platform 1 RunProcess looks for the child's window to hide when a
            // sent message wakes it, too: a child slow to show it is still seen.
            HWND waker = ::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, 0, 0, 0);
            std::thread([waker] {
                for (;;) ::Sleep(300), ::SendMessageTimeoutA(waker, WM_NULL, 0, 0, SMTO_BLOCK, 1000, nullptr);
            }).detach();
            std::string actions = "--child";
            for (int at = i + 4; at < argc; ++at) actions += " " + Quoted(argv[at]);
            return RunProcess(file(1), actions, true, arg(2) != 0, arg(3) != 0) ? 0 : 90;
        } else if (verb == "hidden-box") {
            HWINSTA hidden = ::CreateWindowStationA("tw_hidden", 0, WINSTA_ALL_ACCESS, nullptr);
            InstallLog log;
            log.Open(file(1));
            ok = hidden != nullptr && ::SetProcessWindowStation(hidden);
            if (ok) SilentUi(log).ShowError(IDS_NO_DISK_SPACE, RunUi::BoxOwner::None);
            ++i;
        } else if (verb == "window") {
            ok = ShowWindowFor(arg(1), file(2)), i += 2;
        } else {
            return 99;
        }
        if (!ok) return 90;
    }
    return 0;
}

}  // namespace tarnwick::test

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::string(argv[i]) == "--child") return tarnwick::test::RunChild(argc - i - 1, argv + i + 1);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
