// RunProcess against real child processes: this executable started again
// with "--child ..." (see child_process.cpp).
#include "base/win32/run_process.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "tests/wine/wine_test_util.h"

namespace tarnwick::test {
namespace {

// Starts `line` as it is and waits up to a minute for it: "ended",
// "still runs" or "not started, error N".
std::string StartAndWait(std::string line) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!::CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &info)) {
        return "not started, error " + std::to_string(::GetLastError());
    }
    const DWORD waited = ::WaitForSingleObject(info.hProcess, 60000);
    ::CloseHandle(info.hProcess);
    ::CloseHandle(info.hThread);
    return waited == WAIT_OBJECT_0 ? "ended" : "still runs";
}

// Waited for, RunProcess returns once the child has ended, whatever its exit
// code; not waited for, at once.
TEST(RunProcess, WaitsOnlyWhenTold) {
    ScratchFolder scratch;
    const std::string marker = scratch / "marker.txt";
    const struct {
        bool wait;
        DWORD sleepMs, minMs, maxMs;
        bool marked;
    } cases[] = {{true, 1500, 1400, 60000, true}, {false, 3000, 0, 1500, false}};
    for (const auto& c : cases) {
        ::DeleteFileA(marker.c_str());
        const std::string args =
            "--child sleep " + std::to_string(c.sleepMs) + " mark " + Quoted(marker) + " exit 3";
        const DWORD start = ::GetTickCount();
        const bool result = RunProcess(OwnExePath(), args, c.wait, true, false);
        const DWORD elapsed = ::GetTickCount() - start;
        const DWORD error = ::GetLastError();
        const bool marked = ::GetFileAttributesA(marker.c_str()) != INVALID_FILE_ATTRIBUTES;
        EXPECT_TRUE(result) << "wait=" << c.wait << " error " << error;
        EXPECT_TRUE(elapsed >= c.minMs && elapsed < c.maxMs)
            << "wait=" << c.wait << ": " << elapsed << " ms";
        EXPECT_EQ(marked, c.marked)
            << "wait=" << c.wait << ": child ended before RunProcess returned?";
        // The child really ran, waited for or not.
        EXPECT_TRUE(WaitForFile(marker, 20000)) << "wait=" << c.wait << ": no marker";
        EXPECT_TRUE(SamePath(ReadWholeFile(marker), OwnExePath())) << "wait=" << c.wait;
    }
}

// Unquoted, "<tmp>\dir with blank\child.exe" is first tried as "<tmp>\dir"
// (+ ".exe"): a planted "<tmp>\dir.exe" must not be what runs.
TEST(RunProcess, RunsTheProgramNamedOrFails) {
    ScratchFolder scratch;
    const std::string child = scratch / "dir with blank\\child.exe";
    const std::string planted = scratch / "dir.exe";
    const std::string marker = scratch / "marker.txt";
    ASSERT_TRUE(::CreateDirectoryA((scratch / "dir with blank").c_str(), nullptr));
    for (const std::string& copy : {child, planted})
        ASSERT_TRUE(::CopyFileA(OwnExePath().c_str(), copy.c_str(), FALSE)) << ::GetLastError();
    // The trap is real: the system's own search across the blanks finds it.
    ASSERT_EQ(StartAndWait(child + " --child mark " + Quoted(marker)), "ended");
    EXPECT_TRUE(SamePath(ReadWholeFile(marker), planted)) << "ran " << ReadWholeFile(marker);

    const struct {
        std::string executable;
        std::string ran;  // empty: it does not start
    } cases[] = {{child, child}, {scratch / "missing.exe", ""}, {"", ""}};
    for (const auto& c : cases) {
        ::DeleteFileA(marker.c_str());
        ::SetLastError(0xdeadbeef);
        const bool started =
            RunProcess(c.executable, "--child mark " + Quoted(marker), true, true, false);
        const DWORD error = ::GetLastError();
        EXPECT_EQ(started, !c.ran.empty()) << "'" << c.executable << "' error " << error;
        EXPECT_TRUE(SamePath(ReadWholeFile(marker), c.ran))
            << "'" << c.executable << "' ran '" << ReadWholeFile(marker) << "'";
    }
}

// What the waiting thread's window procedure saw.
std::vector<UINT> Seen;
constexpr UINT kSentProbe = WM_USER + 5;
constexpr UINT kPostedProbe = WM_USER + 6;
constexpr LRESULT kSentReply = 0x5A5A;

LRESULT CALLBACK ProbeWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Seen.push_back(message);
    if (message == kSentProbe) return kSentReply;
    return ::DefWindowProcA(window, message, wParam, lParam);
}

// Paint, private and sent messages are served while waiting; input and
// timers are dropped, so the user cannot drive a window meanwhile.
TEST(RunProcess, ServesSentPaintAndPrivateMessagesWhileWaiting) {
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = &ProbeWindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "TarnwickWaitProbe";
    ASSERT_NE(::RegisterClassA(&windowClass), 0) << "error " << ::GetLastError();
    HWND window = ::CreateWindowExA(0, windowClass.lpszClassName, "wait probe", WS_POPUP, 0, 0, 200,
                                    100, nullptr, nullptr, instance, nullptr);
    ASSERT_NE(window, nullptr) << "error " << ::GetLastError();
    ::ShowWindow(window, SW_SHOWNA);
    Seen.clear();  // a paint is now due; nothing has served it yet

    BOOL posted = FALSE;
    LRESULT sent = 0;
    DWORD sendError = 0;
    DWORD_PTR reply = 0;
    std::thread other([&] {
        ::Sleep(300);
        posted = ::PostMessageA(window, kPostedProbe, 6, 0) &&
                 ::PostMessageA(window, WM_KEYDOWN, VK_SPACE, 0x00390001) &&
                 ::PostMessageA(window, WM_TIMER, 77, 0);
        sent = ::SendMessageTimeoutA(window, kSentProbe, 5, 0, SMTO_BLOCK, 2000, &reply);
        sendError = ::GetLastError();
    });
    // A paint that is fetched but never dispatched stays due, and the
    // waiting loop would spin on it for ever: end the run with a message.
    HANDLE returned = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::thread watchdog([returned] {
        if (::WaitForSingleObject(returned, 30000) == WAIT_OBJECT_0) return;
        std::fprintf(stderr,
                     "RunProcess still waiting 30 s after a 3 s child: stuck on a message?\n");
        ::ExitProcess(3);
    });
    EXPECT_TRUE(RunProcess(OwnExePath(), "--child sleep 3000", true, true, false));
    ::SetEvent(returned);
    watchdog.join();
    ::CloseHandle(returned);
    other.join();

    const auto saw = [](UINT message) {
        return std::find(Seen.begin(), Seen.end(), message) != Seen.end();
    };
    EXPECT_TRUE(posted);
    EXPECT_NE(sent, 0) << "SendMessageTimeout failed, error " << sendError;
    EXPECT_EQ(reply, static_cast<DWORD_PTR>(kSentReply));
    EXPECT_TRUE(saw(kPostedProbe)) << "posted private message not dispatched";
    EXPECT_TRUE(saw(WM_PAINT)) << "paint not served";
    EXPECT_FALSE(saw(WM_KEYDOWN)) << "keyboard input dispatched while waiting";
    EXPECT_FALSE(saw(WM_TIMER)) << "timer dispatched while waiting";
    // Discarded means removed too, not left for the caller's next loop.
    MSG left;
    EXPECT_FALSE(::PeekMessageA(&left, window, WM_KEYDOWN, WM_TIMER, PM_REMOVE));

    ::DestroyWindow(window);
    ::UnregisterClassA(windowClass.lpszClassName, instance);
}

// The child shows a window with the show command it was given and reports
// whether it was still visible at the end. Windows 95/98/Me only: RunProcess
// also hides a shown child's first visible window unless forceShow; Wine
// reports platform 1 to a program whose AppDefaults version is win98, so a
// copy of this executable under its own name runs RunProcess from there.
TEST(RunProcess, ChildWindowShownOrHidden) {
    ScratchFolder scratch;
    const std::string report = scratch / "window.txt";
    const struct {
        bool hidden;
        bool forceShow;
        const char* expected;
    } cases[] = {
        {false, false, "visible=1"}, {true, false, "visible=0"}, {true, true, "visible=1"}};
    for (const auto& c : cases) {
        ::DeleteFileA(report.c_str());
        EXPECT_TRUE(RunProcess(OwnExePath(), "--child window 1000 " + Quoted(report), true,
                               c.hidden, c.forceShow))
            << "error " << ::GetLastError();
        EXPECT_EQ(ReadWholeFile(report), c.expected)
            << "hidden=" << c.hidden << " forceShow=" << c.forceShow;
    }

    const char* kHostName = "win98_child_host.exe";
    const std::string host = scratch / kHostName;
    ASSERT_TRUE(::CopyFileA(OwnExePath().c_str(), host.c_str(), FALSE))
        << "error " << ::GetLastError();
    const std::string key = std::string("Software\\Wine\\AppDefaults\\") + kHostName;
    ASSERT_EQ(::RegSetKeyValueA(HKEY_CURRENT_USER, key.c_str(), "Version", REG_SZ, "win98", 6),
              ERROR_SUCCESS);
    const std::string hostReport = scratch / "host.txt";
    std::string skipReason;
    for (bool forceShow : {false, true}) {
        ::DeleteFileA(hostReport.c_str());
        ::DeleteFileA(report.c_str());
        const std::string how =
            StartAndWait(Quoted(host) + " --child win98-run " + Quoted(hostReport) + " " +
                         Quoted(OwnExePath()) + (forceShow ? " 1 " : " 0 ") + Quoted(report));
        const std::string platform = ReadWholeFile(hostReport);
        if (how != "ended" || platform.rfind("platform=1", 0) != 0) {
            skipReason = "the win98 copy " + how + ", reported '" + platform + "', not platform 1";
            EXPECT_NE(how, "still runs") << "RunProcess on platform 1 never returned";
            break;
        }
        EXPECT_EQ(platform, "platform=1 ran=1");
        EXPECT_EQ(ReadWholeFile(report), forceShow ? "visible=1" : "visible=0")
            << "win98 forceShow=" << forceShow;
    }
    ::RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
    if (!skipReason.empty()) GTEST_SKIP() << skipReason;
}

}  // namespace
}  // namespace tarnwick::test
