// RunProcess against real children: this executable started again with
// "--child ..." (see wine_test_main.cpp).
#include "base/win32/run_process.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

#include "tests/wine/wine_test_util.h"

namespace tarnwick::test {
namespace {

// Unquoted, "<scratch>\dir with blank\child.exe" is first tried as
// "<scratch>\dir.exe": a planted one must not be what runs. A child that ran
// and ended is success whatever its exit code.
TEST(RunProcess, RunsTheProgramNamedOrFails) {
    ScratchFolder scratch;
    const std::string child = scratch / "dir with blank\\child.exe", planted = scratch / "dir.exe";
    const std::string marker = scratch / "marker.txt", mark = "--child sleep 500 mark " + Quoted(marker) + " exit 3";
    ASSERT_TRUE(::CreateDirectoryA((scratch / "dir with blank").c_str(), nullptr));
    for (const std::string& copy : {child, planted}) ASSERT_TRUE(::CopyFileA(OwnExePath().c_str(), copy.c_str(), 0));
    // The trap is real: the system's own search across the blanks finds it.
    ASSERT_EQ(StartAndWait(child + " " + mark), "exit 3");
    ASSERT_EQ(ReadWholeFile(marker), planted);
    const struct { std::string executable, ran; } cases[] = {{child, child}, {scratch / "missing.exe", ""}, {"", ""}};
    for (const auto& c : cases) {
        ::DeleteFileA(marker.c_str());
        EXPECT_EQ(RunProcess(c.executable, mark, true, true, false), !c.ran.empty()) << "'" << c.executable << "'";
        EXPECT_EQ(ReadWholeFile(marker), c.ran) << "'" << c.executable << "' ran, and ended before RunProcess returned";
    }
}

// The child shows a window with the show command it was given and says
// whether it is still visible at the end. On Windows 95/98/Me RunProcess also
// hides a shown child's first window unless forceShow: Wine reports platform
// 1 to a program whose AppDefaults version is win98, so a copy of this
// executable by that name runs RunProcess there. A child to be hidden waits
// long for it, and is done once hidden.
TEST(RunProcess, ChildWindowShownOrHidden) {
    ScratchFolder scratch;
    const std::string win98 = scratch / "win98_host.exe", report = scratch / "window.txt";
    const std::string platform = scratch / "platform.txt", key = "Software\\Wine\\AppDefaults\\win98_host.exe";
    ASSERT_TRUE(::CopyFileA(OwnExePath().c_str(), win98.c_str(), FALSE));
    ASSERT_EQ(::RegSetKeyValueA(HKEY_CURRENT_USER, key.c_str(), "Version", REG_SZ, "win98", 6), ERROR_SUCCESS);
    const std::string probe = StartAndWait(Quoted(win98) + " --child platform " + Quoted(platform));
    const bool onWin98 = ReadWholeFile(platform) == "platform=1";
    const struct { bool win98; const char* hiddenForceShow; char visible; } cases[] = {
        {false, "0 0", '1'}, {false, "1 0", '0'}, {false, "1 1", '1'}, {true, "0 0", '0'}, {true, "0 1", '1'}};
    for (const auto& c : cases) {
        if (c.win98 && !onWin98) continue;
        ::DeleteFileA(report.c_str());
        const std::string how = StartAndWait(Quoted(c.win98 ? win98 : OwnExePath()) + " --child run " +
                                             Quoted(OwnExePath()) + " " + c.hiddenForceShow + " window " +
                                             (c.visible == '1' ? "1500 " : "30000 ") + Quoted(report));
        EXPECT_EQ(how + " " + ReadWholeFile(report), std::string("exit 0 visible=") + c.visible)
            << (c.win98 ? "win98" : "NT") << ", hidden and forceShow " << c.hiddenForceShow;
    }
    ::RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
    if (!onWin98) GTEST_SKIP() << "the win98 copy ended '" << probe << "' and reported '" << ReadWholeFile(platform)
                               << "', not platform 1";
}

// The Cancel, given while a child that printed its id waits for a minute,
// ends the wait at once, and the child too when the run asks for that; what
// it printed stays.
TEST(RunProcess, CancelEndsACapturedRun) {
    for (const bool endOnCancel : {true, false}) {
        CancelEvent cancel;
        std::string output;
        ProcessOptions options;
        options.hidden = true;
        options.output = &output;
        options.maxOutput = 100;
        options.timeLimitMs = 30000;
        options.cancel = &cancel;
        options.endOnCancel = endOnCancel;
        std::thread user([&cancel] { ::Sleep(1500), cancel.Set(); });
        const DWORD start = ::GetTickCount();
        const ProcessOutcome outcome = RunProcessLine(Quoted(OwnExePath()) + " --child pid sleep 60000", options);
        const DWORD elapsed = ::GetTickCount() - start;
        user.join();
        EXPECT_TRUE(outcome == ProcessOutcome::Cancelled && elapsed < 15000)
            << "outcome " << int(outcome) << " after " << elapsed << " ms, endOnCancel " << endOnCancel;
        HANDLE child = ::OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, std::strtoul(output.c_str(), 0, 10));
        const bool runs = child != nullptr && ::WaitForSingleObject(child, 0) == WAIT_TIMEOUT;
        EXPECT_TRUE(!output.empty() && runs != endOnCancel)
            << "the child '" << output << "' " << (runs ? "still runs" : "has ended") << ", endOnCancel " << endOnCancel;
        if (child) ::TerminateProcess(child, 1), ::CloseHandle(child);
    }
}

}  // namespace
}  // namespace tarnwick::test
