// A whole silent run against the parts of it that no launcher can avoid:
// a bare process start, the two runs of the JVM with the verify class (one
// in the search, its output read; one before the launch, only its start and
// end) and the installer's own run, each started as the launcher starts it,
// all measured in the same run under Wine; and the peak memory of runs with
// packages of two sizes. A GUI program like the launcher, so that its
// children meet a parent without a console, as the launcher's do.
//
//   whole_run_bench.exe JVM.EXE CLASS_FOLDER ROUNDS SETUP.EXE [SETUP.EXE...]
//   whole_run_bench.exe bare       (ends at once: the bare process start)
//
// The JVM must be the one the setup finds in the first place it tries, and
// CLASS_FOLDER must hold the package's Verify.class and Installer.class.
// With ROUNDS "peak" each setup runs once, silent, and only its peak working
// set is printed (for packages whose shipped JVM the run extracts).
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/win32/scoped_handle.h"
#include "bench/bench_clock.h"
#include "tests/wine/limited_token.h"

namespace {

using tarnwick::ScopedHandle;
using tarnwick::ScopedKernelHandle;
using tarnwick::bench::Median;
using tarnwick::bench::Now;

struct RunResult {
    bool ok = false;
    double seconds = 0;
    size_t peakWorkingSet = 0;
};

// How a child is started. The search starts its verify runs with no
// creation flags and the window hidden: a console program so started by a
// program without a console gets a console of its own, hidden (under Wine a
// conhost that makes a window). Every other run gets no console window.
enum class Start { NoWindow, HiddenConsole };

// Runs a command line to its end, as the launcher does, standard output
// drained from a pipe when `pipeOutput` is set. Wine answers memory queries
// only while the process lives, so they are polled.
RunResult Run(const std::string& commandLine, bool pipeOutput, Start how = Start::NoWindow) {
    RunResult result;
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (pipeOutput && !::CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return result;
    ScopedHandle reader(readEnd != nullptr ? readEnd : INVALID_HANDLE_VALUE);
    ScopedHandle writer(writeEnd != nullptr ? writeEnd : INVALID_HANDLE_VALUE);
    if (pipeOutput) ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (how == Start::HiddenConsole) {
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_HIDE;
    }
    if (pipeOutput) {
        startup.dwFlags |= STARTF_USESTDHANDLES;
        startup.hStdOutput = writeEnd;
    }
    PROCESS_INFORMATION child = {};
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    const double start = Now();
    static const HANDLE limited = tarnwick::test::LimitedToken();
    const DWORD flags = how == Start::NoWindow ? CREATE_NO_WINDOW : 0;
    if (!(limited ? ::CreateProcessAsUserA(limited, nullptr, line.data(), nullptr, nullptr, pipeOutput, flags,
                                           nullptr, nullptr, &startup, &child)
                  : ::CreateProcessA(nullptr, line.data(), nullptr, nullptr, pipeOutput, flags, nullptr, nullptr,
                                     &startup, &child))) {
        return result;
    }
    ScopedKernelHandle process(child.hProcess), thread(child.hThread);
    writer.Close();
    if (pipeOutput) {
        char chunk[1024];
        DWORD read = 0;
        while (::ReadFile(reader.Get(), chunk, sizeof chunk, &read, nullptr) && read > 0) {
        }
    }
    for (;;) {
        PROCESS_MEMORY_COUNTERS counters = {};
        counters.cb = sizeof counters;
        if (::GetProcessMemoryInfo(process.Get(), &counters, sizeof counters) &&
            counters.PeakWorkingSetSize > result.peakWorkingSet) {
            result.peakWorkingSet = counters.PeakWorkingSetSize;
        }
        if (::WaitForSingleObject(process.Get(), 2) == WAIT_OBJECT_0) break;
    }
    result.seconds = Now() - start;
    result.ok = true;
    return result;
}

size_t FileSize(const char* path) {
    WIN32_FILE_ATTRIBUTE_DATA attributes;
    return ::GetFileAttributesExA(path, GetFileExInfoStandard, &attributes) ? attributes.nFileSizeLow : 0;
}

struct Series {
    std::vector<double> seconds;
    size_t peak = 0;
    void Add(const RunResult& run) {
        seconds.push_back(run.seconds);
        if (run.peakWorkingSet > peak) peak = run.peakWorkingSet;
    }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::string(argv[1]) == "bare") return 0;
    if (argc < 5) {
        std::fprintf(stderr, "usage: whole_run_bench JVM.EXE CLASS_FOLDER ROUNDS SETUP.EXE [SETUP.EXE...]\n");
        return 2;
    }
    const std::string jvm = std::string("\"") + argv[1] + "\"";
    const std::string classPath = std::string(" -classpath \"") + argv[2] + "\" ";
    if (std::string(argv[3]) == "peak") {
        std::printf("peak working set of a silent run (Wine's own DLLs included):\n");
        for (int i = 4; i < argc; ++i) {
            const RunResult run = Run(std::string("\"") + argv[i] + "\" -silent", false);
            if (!run.ok) return 1;
            std::printf("  setup.exe of %10zu bytes:     %7.1f MB\n", FileSize(argv[i]), run.peakWorkingSet / 1048576.0);
        }
        return 0;
    }
    const int rounds = std::atoi(argv[3]);

    std::vector<Series> setups(static_cast<size_t>(argc - 4));
    Series searchVerify, verify, installer, bare;
    // This program asked to do nothing: a GUI process that ends at once, as
    // bare a start as the launcher's own.
    char self[MAX_PATH + 1] = {};
    const std::string bareCommand =
        "\"" + std::string(self, ::GetModuleFileNameA(nullptr, self, MAX_PATH)) + "\" bare";
    for (int round = 0; round < rounds; ++round) {
        for (size_t i = 0; i < setups.size(); ++i) {
            const RunResult run = Run(std::string("\"") + argv[4 + i] + "\" -silent", false);
            if (!run.ok) {
                std::fprintf(stderr, "whole_run_bench: cannot run %s (error %lu)\n", argv[4 + i], ::GetLastError());
                return 1;
            }
            setups[i].Add(run);
        }
        const RunResult searchCheck = Run(jvm + classPath + "Verify", true, Start::HiddenConsole);
        const RunResult check = Run(jvm + classPath + "Verify", false);
        const RunResult install = Run(jvm + classPath + "Installer", false);
        if (!searchCheck.ok || !check.ok || !install.ok) {
            std::fprintf(stderr, "whole_run_bench: cannot run %s (error %lu)\n", argv[1], ::GetLastError());
            return 1;
        }
        searchVerify.Add(searchCheck);
        verify.Add(check);
        installer.Add(install);
        bare.Add(Run(bareCommand, false));
    }

    const double whole = Median(setups[0].seconds);
    // What no launcher avoids.
    const double parts =
        Median(bare.seconds) + Median(searchVerify.seconds) + Median(verify.seconds) + Median(installer.seconds);
    std::printf("whole silent run, JVM found in the first place tried: %d rounds, medians\n", rounds);
    std::printf("  setup.exe -silent:               %7.1f ms\n", whole * 1000);
    std::printf("  its unavoidable parts:           %7.1f ms  (bare GUI process %.1f ms + the search's verify run, "
                "console hidden, output read, %.1f ms + verify run %.1f ms + installer run %.1f ms)\n",
                parts * 1000, Median(bare.seconds) * 1000, Median(searchVerify.seconds) * 1000,
                Median(verify.seconds) * 1000, Median(installer.seconds) * 1000);
    std::printf("  whole run / parts:               %7.3f  (the launcher's own share: %.1f ms)\n",
                whole / parts, (whole - parts) * 1000);
    for (size_t i = 1; i < setups.size(); ++i) {
        std::printf("  setup.exe of %zu bytes -silent: %7.1f ms\n", FileSize(argv[4 + i]),
                    Median(setups[i].seconds) * 1000);
    }
    std::printf("peak working set (Wine's own DLLs included):\n");
    std::printf("  the JVM stand-in alone:          %7.1f MB\n", installer.peak / 1048576.0);
    for (size_t i = 0; i < setups.size(); ++i) {
        std::printf("  setup.exe of %10zu bytes:     %7.1f MB\n", FileSize(argv[4 + i]), setups[i].peak / 1048576.0);
    }
    if (setups.size() >= 2) {
        const double grow = double(setups.back().peak) - double(setups.front().peak);
        const double size = double(FileSize(argv[argc - 1])) - double(FileSize(argv[4]));
        std::printf("  growth per byte of package:      %7.2f  (peak difference / size difference)\n", grow / size);
    }
    return 0;
}
