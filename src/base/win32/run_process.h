// The one way the launcher runs a program: the search's verification runs
// (output captured, a time limit) and the run's waited starts (the JVM's
// pre-launch check, the installer, a shipped JVM installer).
#pragma once

#include <windows.h>

#include <string>

#include "base/win32/cancel_event.h"

namespace tarnwick {

struct ProcessOptions {
    bool wait = true;
    // The child's window hidden unless `forceShow`; on Windows 95/98/Me a
    // shown child's first visible window is hidden unless `hidden` or
    // `forceShow` is set.
    bool hidden = false;
    bool forceShow = false;
    // Standard output on a pipe into `*output`, at most `maxOutput` bytes
    // kept (the rest is drained); null runs without a pipe.
    std::string* output = nullptr;
    size_t maxOutput = 0;
    // A child still running after this long is ended.
    DWORD timeLimitMs = INFINITE;
    // The run's Cancel ends the wait; `endOnCancel` ends the child too (a JVM
    // being verified, which nobody else would stop). An installer goes on.
    const CancelEvent* cancel = nullptr;
    bool endOnCancel = false;
    // Where the exit code goes when the child was waited for to its end.
    unsigned long* exitCode = nullptr;
    // The program file to start, when the command line names it only by a
    // name that CreateProcess would look up (in our own folder first).
    std::string program;
};

// Started: not waited for. Ended: waited for until it (with a pipe: the
// pipe) ended; its exit code goes to `exitCode`. TimedOut leaves in `output` what
// the child printed before it was ended.
enum class ProcessOutcome { NotStarted, Started, Ended, TimedOut, Cancelled };

// Runs `commandLine` (composed by the caller: see process_command_line.h).
ProcessOutcome RunProcessLine(const std::string& commandLine, const ProcessOptions& options);

// Starts `file` through the shell (ShellExecuteEx, without arguments), so
// that a program that asks for elevation gets it, and waits on its process
// as RunProcessLine does. Only `wait`, `hidden`, `forceShow`, the limit and
// the Cancel apply.
ProcessOutcome RunThroughShell(const std::string& file, const ProcessOptions& options);

// The executable, quoted when it holds blanks, and its arguments, without a
// pipe: true when the child started and, if waited for, ended.
bool RunProcess(const std::string& executable, const std::string& arguments, bool wait,
                bool hidden, bool forceShow);

}  // namespace tarnwick
