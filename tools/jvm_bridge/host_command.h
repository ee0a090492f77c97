// The command line that runs a host program (java) through the host's /bin/sh.
//
// Wine starts a host program without a process handle and hands it Windows
// pipes as /dev/null, so the bridge can neither wait for java nor read its
// output directly. The shell therefore writes java's output into files of a
// run folder and, once java has ended, its exit status into "status"
// (written aside and renamed, so it appears whole); the bridge follows the
// files and ends when "status" is there.
#pragma once

#include <string>
#include <vector>

namespace tarnwick {

// For CreateProcess of the host's /bin/sh: sh -c SCRIPT jvm_bridge RUNFOLDER
// PROGRAM ARGUMENTS..., every argument quoted for Wine's cut.
std::string ComposeHostCommandLine(const std::string& hostRunFolder, const std::string& program,
                                   const std::vector<std::string>& arguments);

}  // namespace tarnwick
