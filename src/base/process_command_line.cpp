#include "base/process_command_line.h"

namespace tarnwick {

std::string QuoteExecutable(const std::string& executable) {
    if (executable.find_first_of(" \t") == std::string::npos) return executable;
    return "\"" + executable + "\"";
}

std::string QuoteArgument(const std::string& text) {
    std::string quoted = "\"";
    size_t backslashes = 0;
    for (const char c : text) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(2 * backslashes, '\\');
    return quoted + '"';
}

std::string ComposeProcessCommandLine(const std::string& executable, const std::string& arguments) {
    std::string line = QuoteExecutable(executable);
    if (!arguments.empty()) line += " " + arguments;
    return line;
}

}  // namespace tarnwick
