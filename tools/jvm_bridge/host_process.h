// Runs a host program through the host's /bin/sh (see host_command.h) and
// follows it until it has ended.
#pragma once

#include <string>

#include "run_folder.h"

namespace tarnwick {

// `commandLine` from ComposeHostCommandLine for `folder`. The program's
// output goes to `output` when that is given, else to the bridge's own
// standard output as it comes; its errors always go to the bridge's standard
// error. On success `exitStatus` is the program's; false, with the last
// error, when the shell could not be started or the status it wrote cannot
// be read.
bool RunOnHost(const RunFolder& folder, const std::string& commandLine, std::string* output,
               int* exitStatus);

}  // namespace tarnwick
