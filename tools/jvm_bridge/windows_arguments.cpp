#include "windows_arguments.h"

#include "base/process_command_line.h"

namespace tarnwick {

std::vector<std::string> SplitWindowsCommandLine(const std::string& commandLine) {
    std::vector<std::string> arguments;
    size_t at = 0;
    const size_t size = commandLine.size();
    for (;;) {
        while (at < size && (commandLine[at] == ' ' || commandLine[at] == '\t'))
            ++at;
        if (at == size) return arguments;
        std::string argument;
        bool quoted = false;
        while (at < size && (quoted || (commandLine[at] != ' ' && commandLine[at] != '\t'))) {
            size_t backslashes = 0;
            while (at < size && commandLine[at] == '\\') {
                ++backslashes;
                ++at;
            }
            if (at < size && commandLine[at] == '"') {
                argument.append(backslashes / 2, '\\');
                if (backslashes % 2 == 1) {
                    argument += '"';
                } else if (quoted && at + 1 < size && commandLine[at + 1] == '"') {
                    argument += '"';
                    ++at;
                } else {
                    quoted = !quoted;
                }
                ++at;
            } else {
                argument.append(backslashes, '\\');
                if (backslashes == 0) argument += commandLine[at++];
            }
        }
        arguments.push_back(argument);
    }
}

std::string QuoteWindowsArgument(const std::string& argument) {
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) return argument;
    return QuoteArgument(argument);
}

}  // namespace tarnwick
