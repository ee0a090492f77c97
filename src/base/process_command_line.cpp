#include "base/process_command_line.h"

namespace tarnwick {

std::string QuoteExecutable(const std::string& executable) {
    if (executable.find_first_of(" \t") == std::string::npos) return executable;
    return "\"" + executable + "\"";
}

std::string ComposeProcessCommandLine(const std::string& executable, const std::string& arguments) {
    std::string line = QuoteExecutable(executable);
    if (!arguments.empty()) line += " " + arguments;
    return line;
}

}  // namespace tarnwick
