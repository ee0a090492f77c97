#include "base/process_command_line.h"

namespace tarnwick {

std::string ComposeProcessCommandLine(const std::string& executable, const std::string& arguments) {
    std::string line = executable.find_first_of(" \t") != std::string::npos
                           ? "\"" + executable + "\""
                           : executable;
    if (!arguments.empty()) line += " " + arguments;
    return line;
}

}  // namespace tarnwick
