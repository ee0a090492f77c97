// RunProcess against real child processes: this executable started again
// with "--child ..." (see child_process.cpp).
#include "ui/run_process.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "tests/wine/wine_test_util.h"

namespace tarnwick::test {
namespace {

std::string ChildArgs(const std::string& actions) { return "--child " + actions; }

TEST(RunProcess, StartFailureReturnsFalse) {
    ScratchFolder scratch;
    const struct {
        std::string executable;
        bool wait;
    } cases[] = {
        {scratch / "missing.exe", true},
        {scratch / "missing.exe", false},
        {scratch / "no folder\\missing.exe", true},
        {"", true},
    };
    for (const auto& c : cases) {
        ::SetLastError(0xdeadbeef);
        const bool started = RunProcess(c.executable, "--child exit 0", c.wait, true, false);
        const DWORD error = ::GetLastError();
        EXPECT_FALSE(started) << "'" << c.executable << "' wait=" << c.wait << " error " << error;
    }
}

TEST(RunProcess, WaitReturnsAfterTheChildEnded) {
    ScratchFolder scratch;
    const std::string marker = scratch / "marker.txt";
    const DWORD start = ::GetTickCount();
    const bool result = RunProcess(OwnExePath(), ChildArgs("sleep 1500 mark " + Quoted(marker)),
                                   true, true, false);
    const DWORD elapsed = ::GetTickCount() - start;
    const DWORD error = ::GetLastError();
    EXPECT_TRUE(result) << "error " << error;
    EXPECT_GE(elapsed, 1400u) << "returned before the child could have ended";
    bool ok = false;
    const std::string ran = ReadWholeFile(marker, &ok);
    EXPECT_TRUE(ok) << "no marker right after RunProcess returned (" << elapsed << " ms)";
    EXPECT_TRUE(SamePath(ran, OwnExePath())) << "ran '" << ran << "'";
}

TEST(RunProcess, ExitCodeOfTheChildPlaysNoPart) {
    ScratchFolder scratch;
    const std::string marker = scratch / "marker.txt";
    const bool result = RunProcess(OwnExePath(), ChildArgs("mark " + Quoted(marker) + " exit 3"),
                                   true, true, false);
    const DWORD error = ::GetLastError();
    EXPECT_TRUE(result) << "error " << error;
    EXPECT_TRUE(SamePath(ReadWholeFile(marker), OwnExePath())) << "the child did not run";
}

TEST(RunProcess, NoWaitReturnsAtOnce) {
    ScratchFolder scratch;
    const std::string marker = scratch / "marker.txt";
    const DWORD start = ::GetTickCount();
    const bool result = RunProcess(OwnExePath(), ChildArgs("sleep 3000 mark " + Quoted(marker)),
                                   false, true, false);
    const DWORD elapsed = ::GetTickCount() - start;
    const DWORD error = ::GetLastError();
    const bool markedEarly = ::GetFileAttributesA(marker.c_str()) != INVALID_FILE_ATTRIBUTES;
    EXPECT_TRUE(result) << "error " << error;
    EXPECT_LT(elapsed, 1500u) << "waited for a child it was told not to wait for";
    EXPECT_FALSE(markedEarly) << "the child ended before RunProcess returned";
    // The child really started: its marker turns up once its sleep is over.
    EXPECT_TRUE(WaitForFile(marker, 20000)) << "no marker from the unwaited child";
}

// Unquoted, "<tmp>\dir with blank\child.exe" is first tried as "<tmp>\dir"
// (+ ".exe"): a planted "<tmp>\dir.exe" must not be what runs.
TEST(RunProcess, PathWithBlanksRunsThatProgram) {
    ScratchFolder scratch;
    const std::string folder = scratch / "dir with blank";
    const std::string child = folder + "\\child.exe";
    const std::string planted = scratch / "dir.exe";
    ASSERT_TRUE(::CreateDirectoryA(folder.c_str(), nullptr)) << "error " << ::GetLastError();
    ASSERT_TRUE(::CopyFileA(OwnExePath().c_str(), child.c_str(), FALSE)) << "error " << ::GetLastError();
    ASSERT_TRUE(::CopyFileA(OwnExePath().c_str(), planted.c_str(), FALSE)) << "error " << ::GetLastError();

    // The trap is real: the system's own search across the blanks finds
    // the planted program.
    const std::string unquotedMarker = scratch / "unquoted.txt";
    std::string line = child + " --child mark " + Quoted(unquotedMarker);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (::CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                         &startup, &info)) {
        ::WaitForSingleObject(info.hProcess, 30000);
        ::CloseHandle(info.hProcess);
        ::CloseHandle(info.hThread);
        const std::string ran = ReadWholeFile(unquotedMarker);
        EXPECT_TRUE(SamePath(ran, planted)) << "unquoted line ran '" << ran << "'";
    } else {
        ADD_FAILURE() << "unquoted CreateProcess failed, error " << ::GetLastError();
    }

    const std::string marker = scratch / "marker.txt";
    const bool result = RunProcess(child, ChildArgs("mark " + Quoted(marker)), true, true, false);
    const DWORD error = ::GetLastError();
    EXPECT_TRUE(result) << "error " << error;
    const std::string ran = ReadWholeFile(marker);
    EXPECT_TRUE(SamePath(ran, child)) << "ran '" << ran << "', wanted '" << child << "'";
}

// A bare name without a folder is found by the system's search, here along
// PATH.
TEST(RunProcess, BareNameIsFoundBySystemSearch) {
    ScratchFolder scratch;
    const std::string copy = scratch / "twbare.exe";
    const std::string marker = scratch / "marker.txt";
    ASSERT_TRUE(::CopyFileA(OwnExePath().c_str(), copy.c_str(), FALSE)) << "error " << ::GetLastError();

    std::string path(32767, '\0');
    path.resize(::GetEnvironmentVariableA("PATH", &path[0], static_cast<DWORD>(path.size())));
    ASSERT_TRUE(::SetEnvironmentVariableA("PATH", (scratch.path() + ";" + path).c_str()));
    const bool result = RunProcess("twbare.exe", ChildArgs("mark " + Quoted(marker)), true, true, false);
    const DWORD error = ::GetLastError();
    ::SetEnvironmentVariableA("PATH", path.c_str());

    EXPECT_TRUE(result) << "error " << error;
    const std::string ran = ReadWholeFile(marker);
    EXPECT_TRUE(SamePath(ran, copy)) << "ran '" << ran << "'";
}

// What the waiting thread's window procedure saw.
std::vector<MSG> Seen;
constexpr UINT kSentProbe = WM_USER + 5;
constexpr UINT kPostedProbe = WM_USER + 6;
constexpr LRESULT kSentReply = 0x5A5A;

LRESULT CALLBACK ProbeWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Seen.push_back(MSG{window, message, wParam, lParam, 0, {0, 0}});
    if (message == kSentProbe) return kSentReply;
    return ::DefWindowProcA(window, message, wParam, lParam);
}

bool SawMessage(UINT message) {
    for (const MSG& m : Seen) {
        if (m.message == message) return true;
    }
    return false;
}

TEST(RunProcess, ServesSentPaintAndPrivateMessagesWhileWaiting) {
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = &ProbeWindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "TarnwickWaitProbe";
    ASSERT_NE(::RegisterClassA(&windowClass), 0) << "error " << ::GetLastError();
    HWND window = ::CreateWindowExA(0, windowClass.lpszClassName, "wait probe",
                                    WS_POPUP, 0, 0, 200, 100, nullptr, nullptr, instance, nullptr);
    ASSERT_NE(window, nullptr) << "error " << ::GetLastError();
    ::ShowWindow(window, SW_SHOWNA);
    Seen.clear();  // a paint is now due; nothing has served it yet

    BOOL posted = FALSE;
    DWORD postError = 0;
    LRESULT sent = 0;
    DWORD sendError = 0;
    DWORD_PTR reply = 0;
    DWORD sentAfter = 0;
    const DWORD start = ::GetTickCount();
    std::thread other([&] {
        ::Sleep(300);
        posted = ::PostMessageA(window, kPostedProbe, 6, 0) &&
                 ::PostMessageA(window, WM_KEYDOWN, VK_SPACE, 0x00390001) &&
                 ::PostMessageA(window, WM_TIMER, 77, 0);
        postError = ::GetLastError();
        sent = ::SendMessageTimeoutA(window, kSentProbe, 5, 0, SMTO_BLOCK, 2000, &reply);
        sendError = ::GetLastError();
        sentAfter = ::GetTickCount() - start;
    });
    // A paint that is fetched but never dispatched stays due, and the
    // waiting loop would spin on it for ever: end the run with a message.
    HANDLE returned = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::thread watchdog([returned] {
        if (::WaitForSingleObject(returned, 30000) == WAIT_OBJECT_0) return;
        std::fprintf(stderr, "RunProcess still waiting 30 s after a 3 s child: stuck on a message?\n");
        ::ExitProcess(3);
    });
    const bool result = RunProcess(OwnExePath(), ChildArgs("sleep 3000"), true, true, false);
    const DWORD elapsed = ::GetTickCount() - start;
    ::SetEvent(returned);
    watchdog.join();
    ::CloseHandle(returned);
    other.join();

    EXPECT_TRUE(result);
    EXPECT_GE(elapsed, 2800u);
    EXPECT_TRUE(posted) << "error " << postError;
    EXPECT_NE(sent, 0) << "SendMessageTimeout failed after " << sentAfter << " ms, error " << sendError;
    EXPECT_EQ(reply, static_cast<DWORD_PTR>(kSentReply));
    EXPECT_TRUE(SawMessage(kSentProbe)) << "sent message not delivered";
    EXPECT_TRUE(SawMessage(kPostedProbe)) << "posted private message not dispatched";
    EXPECT_TRUE(SawMessage(WM_PAINT)) << "paint not served";
    EXPECT_FALSE(SawMessage(WM_KEYDOWN)) << "keyboard input dispatched while waiting";
    EXPECT_FALSE(SawMessage(WM_TIMER)) << "timer dispatched while waiting";
    // Discarded means removed too, not left for the caller's next loop.
    MSG left;
    EXPECT_FALSE(::PeekMessageA(&left, window, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE));
    EXPECT_FALSE(::PeekMessageA(&left, window, WM_TIMER, WM_TIMER, PM_REMOVE));

    ::DestroyWindow(window);
    ::UnregisterClassA(windowClass.lpszClassName, instance);
}

// The child shows its window with the show command from RunProcess's startup
// information and reports whether it was still visible at the end.
std::string RunWindowChild(const std::string& exe, const ScratchFolder& scratch, DWORD ms,
                           bool hidden, bool forceShow) {
    const std::string report = scratch / "window.txt";
    ::DeleteFileA(report.c_str());
    const bool result = RunProcess(exe, ChildArgs("window " + std::to_string(ms) + " " + Quoted(report)),
                                   true, hidden, forceShow);
    EXPECT_TRUE(result) << "error " << ::GetLastError();
    bool ok = false;
    const std::string text = ReadWholeFile(report, &ok);
    EXPECT_TRUE(ok) << "the window child wrote no report";
    return text;
}

TEST(RunProcess, ShowCommandOnNtPlatform) {
    ScratchFolder scratch;
    const struct {
        bool hidden;
        bool forceShow;
        const char* expected;
    } cases[] = {
        {false, false, "visible=1"},  // no window hunting on NT
        {false, true, "visible=1"},
        {true, false, "visible=0"},
        {true, true, "visible=1"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RunWindowChild(OwnExePath(), scratch, 1000, c.hidden, c.forceShow), c.expected)
            << "hidden=" << c.hidden << " forceShow=" << c.forceShow;
    }
}

// Windows 95/98/Me only: RunProcess hides the shown child's first visible
// window unless forceShow. Wine reports platform 1 to a program whose
// AppDefaults version is win98, so a copy of this executable under its own
// name runs RunProcess from there.
TEST(RunProcess, Win98HidesTheChildWindowUnlessForceShow) {
    ScratchFolder scratch;
    const char* kHostName = "win98_child_host.exe";
    const std::string host = scratch / kHostName;
    ASSERT_TRUE(::CopyFileA(OwnExePath().c_str(), host.c_str(), FALSE)) << "error " << ::GetLastError();
    const std::string key = std::string("Software\\Wine\\AppDefaults\\") + kHostName;
    HKEY appKey = nullptr;
    LONG status = ::RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                    nullptr, &appKey, nullptr);
    ASSERT_EQ(status, ERROR_SUCCESS);
    status = ::RegSetValueExA(appKey, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>("win98"), 6);
    ::RegCloseKey(appKey);
    ASSERT_EQ(status, ERROR_SUCCESS);

    const struct {
        bool forceShow;
        const char* expected;
    } cases[] = {
        {false, "visible=0"},
        {true, "visible=1"},
    };
    std::string skipReason;
    for (const auto& c : cases) {
        const std::string out = scratch / "host.txt";
        const std::string windowFile = scratch / "window.txt";
        ::DeleteFileA(out.c_str());
        ::DeleteFileA(windowFile.c_str());
        std::string line = Quoted(host) + " --child win98-run " + Quoted(out) + " " +
                           Quoted(OwnExePath()) + (c.forceShow ? " 1 " : " 0 ") + Quoted(windowFile);
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info = {};
        if (!::CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &startup, &info)) {
            skipReason = "the win98 copy did not start, error " + std::to_string(::GetLastError());
            break;
        }
        const DWORD waited = ::WaitForSingleObject(info.hProcess, 60000);
        DWORD exitCode = 0;
        ::GetExitCodeProcess(info.hProcess, &exitCode);
        ::CloseHandle(info.hProcess);
        ::CloseHandle(info.hThread);
        ASSERT_EQ(waited, WAIT_OBJECT_0) << "the win98 copy did not end";
        const std::string hostReport = ReadWholeFile(out);
        if (hostReport.rfind("platform=1", 0) != 0) {
            skipReason = "the win98 copy reported '" + hostReport + "' (exit code " +
                         std::to_string(exitCode) + "), not platform 1";
            break;
        }
        EXPECT_EQ(hostReport, "platform=1 ran=1");
        EXPECT_EQ(ReadWholeFile(windowFile), c.expected) << "forceShow=" << c.forceShow;
    }
    ::RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
    if (!skipReason.empty()) GTEST_SKIP() << skipReason;
}

}  // namespace
}  // namespace tarnwick::test
