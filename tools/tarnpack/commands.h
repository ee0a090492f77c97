// The subcommands. Each prints its help for --help, does its work and
// returns the exit status; refusals are thrown as PackError.
#pragma once

#include <string>
#include <vector>

namespace tarnpack {

int RunBuild(const std::vector<std::string>& args);
int RunArchive(const std::vector<std::string>& args);
int RunList(const std::vector<std::string>& args);

}  // namespace tarnpack
