#include "base/win32/run_process.h"

#include <algorithm>
#include <string>
#include <vector>

#include <shellapi.h>

#include "base/process_command_line.h"
#include "base/win32/lazy_system_functions.h"
#include "base/win32/scoped_handle.h"

namespace tarnwick {
namespace {

constexpr DWORD kReadChunkBytes = 1024;
// What the child may write ahead of our reads, as much as a pipe made by
// CreatePipe with its default size holds: the child is not held up at each
// write until the next read.
constexpr DWORD kPipeBufferBytes = 4096;
// How often a quiet pipe that cannot be waited on is looked at again; short
// enough not to slow a verification down noticeably, long enough not to keep
// a processor busy.
constexpr DWORD kPollIntervalMs = 10;
// An ended child is waited for this long, so it is gone when we return.
constexpr DWORD kTerminationWaitMs = 5000;

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
// True once hidden.
bool HideChildWindow(DWORD childThreadId) {
    ::Sleep(500);
    for (int pass = 0; pass < 10; ++pass) {
        for (HWND window = ::GetWindow(::GetDesktopWindow(), GW_CHILD); window != nullptr;
             window = ::GetWindow(window, GW_HWNDNEXT)) {
            if (::GetWindowThreadProcessId(window, nullptr) == childThreadId &&
                ::IsWindowVisible(window)) {
                ::ShowWindow(window, SW_HIDE);
                return true;
            }
        }
    }
    return false;
}

// The child must not inherit our end of the pipe: it has no use for it, and
// a grandchild holding it would keep the pipe alive. Windows 9x has no
// SetHandleInformation, so a non-inheritable duplicate stands in there.
bool MakeNonInheritable(ScopedHandle* handle) {
    if (::SetHandleInformation(handle->Get(), HANDLE_FLAG_INHERIT, 0)) return true;
    HANDLE duplicate = nullptr;
    if (!::DuplicateHandle(::GetCurrentProcess(), handle->Get(), ::GetCurrentProcess(), &duplicate,
                           0, FALSE, DUPLICATE_SAME_ACCESS)) {
        return false;
    }
    handle->Reset(duplicate);
    return true;
}

// Keeps what fits into `output`, drops the rest.
void Keep(const char* bytes, DWORD count, size_t maxOutput, std::string* output) {
    const size_t room = maxOutput - std::min(maxOutput, output->size());
    output->append(bytes, std::min<size_t>(room, count));
}

// Reads what is there; a pipe whose writers are all gone gives its remaining
// bytes and then fails, so this never blocks once the pipe has broken.
void DrainBrokenPipe(HANDLE pipe, size_t maxOutput, std::string* output) {
    char chunk[kReadChunkBytes];
    DWORD read = 0;
    while (::ReadFile(pipe, chunk, sizeof chunk, &read, nullptr) && read > 0) {
        Keep(chunk, read, maxOutput, output);
    }
}

struct Pipe {
    ScopedHandle readEnd;
    ScopedHandle writeEnd;
    // Set when the read end reads overlapped: a read then finishes by this
    // event, so data, the break, the limit and the Cancel are waited for
    // together. Without it the pipe is polled.
    ScopedKernelHandle readDone;
};

// A pipe whose read end can be waited on: a named pipe, as the anonymous kind
// is too, but with its read end opened for overlapped reading. Nobody else
// can come between us and the child: the name is new (the first instance,
// else we give up), the pipe has one instance, our own write end takes it at
// once, and no other machine may connect. False where such pipes are
// missing (Windows 9x, before Vista); the caller then makes a plain pipe.
bool MakeOverlappedPipe(SECURITY_ATTRIBUTES* inheritable, Pipe* pipe) {
    ScopedKernelHandle readDone(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!readDone.IsValid()) return false;
    LARGE_INTEGER now = {};
    ::QueryPerformanceCounter(&now);
    const std::string name = "\\\\.\\pipe\\tarnwick-output-" + std::to_string(::GetCurrentProcessId()) + "-" +
                             std::to_string(::GetCurrentThreadId()) + "-" + std::to_string(now.QuadPart);
    pipe->readEnd.Reset(::CreateNamedPipeA(
        name.c_str(), PIPE_ACCESS_INBOUND | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
        PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1, 0, kPipeBufferBytes, 0,
        nullptr));
    if (!pipe->readEnd.IsValid()) return false;
    pipe->writeEnd.Reset(
        ::CreateFileA(name.c_str(), GENERIC_WRITE, 0, inheritable, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!pipe->writeEnd.IsValid()) {
        pipe->readEnd.Close();
        return false;
    }
    pipe->readDone = std::move(readDone);
    return true;
}

bool MakeOutputPipe(Pipe* pipe) {
    SECURITY_ATTRIBUTES inheritable = {};
    inheritable.nLength = sizeof inheritable;
    inheritable.bInheritHandle = TRUE;
    if (MakeOverlappedPipe(&inheritable, pipe)) return true;
    HANDLE readHandle = nullptr;
    HANDLE writeHandle = nullptr;
    if (!::CreatePipe(&readHandle, &writeHandle, &inheritable, 0)) return false;
    pipe->readEnd.Reset(readHandle);
    pipe->writeEnd.Reset(writeHandle);
    return MakeNonInheritable(&pipe->readEnd);
}

// Waits up to `ms` for the process or the Cancel; true when the process ended.
bool WaitForProcess(HANDLE process, const CancelEvent* cancel, DWORD ms) {
    HANDLE handles[] = {process, cancel != nullptr ? cancel->Handle() : nullptr};
    const DWORD count = handles[1] != nullptr ? 2 : 1;
    return ::WaitForMultipleObjects(count, handles, FALSE, ms) == WAIT_OBJECT_0;
}

ProcessOutcome EndChild(HANDLE process, ProcessOutcome outcome) {
    ::TerminateProcess(process, 1);
    ::WaitForSingleObject(process, kTerminationWaitMs);
    return outcome;
}

// A ReadFile on a pipe opened for plain reading blocks until data comes or
// the pipe breaks and cannot be given a time-out, so such a pipe (made where
// no overlapped one can be) is polled: read what PeekNamedPipe says is
// there, else wait a little on the process. The read thus never blocks, and
// the limit and the Cancel are checked between polls.
ProcessOutcome FollowPipe(HANDLE process, HANDLE pipe, const ProcessOptions& options) {
    const DWORD start = ::GetTickCount();
    bool processEnded = false;
    char chunk[kReadChunkBytes];
    for (;;) {
        // Checked on every round, so endless output cannot outrun the limit
        // either. GetTickCount wraps after 49 days; the difference stays right.
        if (::GetTickCount() - start >= options.timeLimitMs) return EndChild(process, ProcessOutcome::TimedOut);
        if (IsCancelled(options.cancel)) {
            return options.endOnCancel ? EndChild(process, ProcessOutcome::Cancelled) : ProcessOutcome::Cancelled;
        }
        DWORD available = 0;
        if (!::PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr)) {
            if (::GetLastError() == ERROR_BROKEN_PIPE) DrainBrokenPipe(pipe, options.maxOutput, options.output);
            return ProcessOutcome::Ended;
        }
        if (available > 0) {
            DWORD read = 0;
            if (!::ReadFile(pipe, chunk, std::min(available, kReadChunkBytes), &read, nullptr) || read == 0) {
                return ProcessOutcome::Ended;
            }
            Keep(chunk, read, options.maxOutput, options.output);
        } else if (processEnded) {
            // Ended, yet the pipe lives on in a process it started.
            if (options.cancel != nullptr) {
                ::WaitForSingleObject(options.cancel->Handle(), kPollIntervalMs);
            } else {
                ::Sleep(kPollIntervalMs);
            }
        } else {
            processEnded = WaitForProcess(process, options.cancel, kPollIntervalMs);
        }
    }
}

// What is left of `limitMs` counted from `start`, both GetTickCount values.
// GetTickCount wraps after 49 days; the difference stays right.
DWORD TimeLeft(DWORD start, DWORD limitMs) {
    if (limitMs == INFINITE) return INFINITE;
    const DWORD waited = ::GetTickCount() - start;
    return waited < limitMs ? limitMs - waited : 0;
}

// Reads an overlapped pipe one read at a time, waiting for the read, the
// Cancel and the limit together: data and the break are seen the moment they
// come, and nothing is asked in between. Under Wine the break comes only when
// the child's console host has ended, and polling for it slowed that host.
ProcessOutcome FollowOverlappedPipe(HANDLE process, HANDLE pipe, HANDLE readDone, const ProcessOptions& options) {
    const DWORD start = ::GetTickCount();
    char chunk[kReadChunkBytes];
    for (;;) {
        // Asked before every read, so endless output cannot outrun the limit.
        const DWORD left = TimeLeft(start, options.timeLimitMs);
        if (left == 0) return EndChild(process, ProcessOutcome::TimedOut);
        if (IsCancelled(options.cancel)) {
            return options.endOnCancel ? EndChild(process, ProcessOutcome::Cancelled) : ProcessOutcome::Cancelled;
        }
        OVERLAPPED read = {};
        read.hEvent = readDone;
        if (!::ReadFile(pipe, chunk, sizeof chunk, nullptr, &read) && ::GetLastError() != ERROR_IO_PENDING) {
            return ProcessOutcome::Ended;  // broken: every writer has gone
        }
        HANDLE handles[] = {readDone, options.cancel != nullptr ? options.cancel->Handle() : nullptr};
        const DWORD woken = ::WaitForMultipleObjects(handles[1] != nullptr ? 2 : 1, handles, FALSE, left);
        DWORD count = 0;
        if (woken != WAIT_OBJECT_0) {
            // The read writes into `chunk`: it must be over before we go on.
            ::CancelIo(pipe);
            ::GetOverlappedResult(pipe, &read, &count, TRUE);
            if (woken == WAIT_OBJECT_0 + 1) continue;  // the Cancel, answered above
            return EndChild(process, ProcessOutcome::TimedOut);
        }
        if (!::GetOverlappedResult(pipe, &read, &count, FALSE) || count == 0) return ProcessOutcome::Ended;
        Keep(chunk, count, options.maxOutput, options.output);
    }
}

// Waits for a child without a pipe: to its end, the time limit or the
// Cancel. With `hideThreadId`, the child's first window is hidden by hand,
// tried again after every pause until it is there.
ProcessOutcome WaitForChild(HANDLE process, DWORD hideThreadId, const ProcessOptions& options) {
    bool windowDone = hideThreadId == 0;
    const DWORD start = ::GetTickCount();
    for (;;) {
        if (!windowDone) windowDone = HideChildWindow(hideThreadId);
        const DWORD left = TimeLeft(start, options.timeLimitMs);
        if (WaitForProcess(process, options.cancel, windowDone ? left : 0)) {
            if (options.exitCode != nullptr && !::GetExitCodeProcess(process, options.exitCode)) *options.exitCode = 0;
            return ProcessOutcome::Ended;
        }
        if (windowDone || left == 0 || IsCancelled(options.cancel)) break;
    }
    if (IsCancelled(options.cancel)) {
        return options.endOnCancel ? EndChild(process, ProcessOutcome::Cancelled) : ProcessOutcome::Cancelled;
    }
    return EndChild(process, ProcessOutcome::TimedOut);
}

}  // namespace

ProcessOutcome RunProcessLine(const std::string& commandLine, const ProcessOptions& options) {
    if (IsCancelled(options.cancel)) return ProcessOutcome::Cancelled;
    const bool capture = options.output != nullptr;
    if (capture) options.output->clear();
    Pipe pipe;
    if (capture && !MakeOutputPipe(&pipe)) return ProcessOutcome::NotStarted;

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = (!options.hidden || options.forceShow) ? SW_SHOWNORMAL : SW_HIDE;
    if (capture) {
        startup.dwFlags |= STARTF_USESTDHANDLES;
        startup.hStdOutput = pipe.writeEnd.Get();
    }
    std::vector<char> writable(commandLine.begin(), commandLine.end());
    writable.push_back('\0');
    PROCESS_INFORMATION started = {};
    // Only a captured run hands handles down (its pipe end); the others
    // start without a console window of their own.
    const char* program = options.program.empty() ? nullptr : options.program.c_str();
    if (!::CreateProcessA(program, writable.data(), nullptr, nullptr, capture ? TRUE : FALSE,
                          capture ? 0 : CREATE_NO_WINDOW, nullptr, nullptr, &startup, &started)) {
        return ProcessOutcome::NotStarted;
    }
    ScopedHandle process(started.hProcess);
    ScopedHandle thread(started.hThread);

    if (capture) {
        // Only the child may hold the write end now, so the pipe breaks when
        // it (and anything it passed the handle on to) has ended. Were our
        // copy still open, it never would: give the child up.
        if (!::CloseHandle(pipe.writeEnd.Release())) {
            ::TerminateProcess(process.Get(), 1);
            return ProcessOutcome::NotStarted;
        }
        return pipe.readDone.IsValid()
                   ? FollowOverlappedPipe(process.Get(), pipe.readEnd.Get(), pipe.readDone.Get(), options)
                   : FollowPipe(process.Get(), pipe.readEnd.Get(), options);
    }
    if (!options.wait) return ProcessOutcome::Started;
    const bool hideWindow = !options.hidden && !options.forceShow && IsWindows9x();
    return WaitForChild(process.Get(), hideWindow ? started.dwThreadId : 0, options);
}

ProcessOutcome RunThroughShell(const std::string& file, const ProcessOptions& options) {
    if (IsCancelled(options.cancel)) return ProcessOutcome::Cancelled;
    SHELLEXECUTEINFOA info = {};
    info.cbSize = sizeof info;
    // No UI of the shell's own: a failure is the caller's to report.
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    info.lpFile = file.c_str();
    info.nShow = (!options.hidden || options.forceShow) ? SW_SHOWNORMAL : SW_HIDE;
    if (!LazyShellExecuteExA(&info)) return ProcessOutcome::NotStarted;
    // A document opened in a running program gives no process to wait on.
    if (info.hProcess == nullptr) return options.wait ? ProcessOutcome::NotStarted : ProcessOutcome::Started;
    ScopedHandle process(info.hProcess);
    if (!options.wait) return ProcessOutcome::Started;
    return WaitForChild(process.Get(), 0, options);
}

bool RunProcess(const std::string& executable, const std::string& arguments, bool wait,
                bool hidden, bool forceShow) {
    ProcessOptions options;
    options.wait = wait;
    options.hidden = hidden;
    options.forceShow = forceShow;
    const ProcessOutcome outcome = RunProcessLine(ComposeProcessCommandLine(executable, arguments), options);
    return outcome == ProcessOutcome::Started || outcome == ProcessOutcome::Ended;
}

}  // namespace tarnwick
