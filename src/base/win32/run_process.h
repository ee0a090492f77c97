#pragma once

#include <string>

namespace tarnwick {

// Starts `executable` with `arguments` and, when `wait` is set, waits for it
// to end while the calling thread keeps serving its own window messages
// (paint, private messages and messages sent from other threads). `hidden`
// starts the child's window hidden unless `forceShow` is set; on Windows
// 95/98/Me a shown child's first visible window is hidden unless `hidden` or
// `forceShow` is set. True when the child started and, if waited for, ended;
// its exit code is stored in `exitCode` when one is given and the child was
// waited for.
bool RunProcess(const std::string& executable, const std::string& arguments, bool wait,
                bool hidden, bool forceShow, unsigned long* exitCode = nullptr);

}  // namespace tarnwick
