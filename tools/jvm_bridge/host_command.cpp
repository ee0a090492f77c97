#include "host_command.h"

#include "windows_arguments.h"

namespace tarnwick {

std::string ComposeHostCommandLine(const std::string& hostRunFolder, const std::string& program,
                                   const std::vector<std::string>& arguments) {
    // Paths and arguments travel as positional parameters, never inside the
    // script, so no text of theirs is ever read as shell syntax.
    const char script[] =
        "d=$1; shift; \"$@\" </dev/null >\"$d/out\" 2>\"$d/err\"; "
        "echo $? >\"$d/status.part\" && mv \"$d/status.part\" \"$d/status\"";
    std::string line = "sh -c " + QuoteWindowsArgument(script) + " jvm_bridge " +
                       QuoteWindowsArgument(hostRunFolder) + " " + QuoteWindowsArgument(program);
    for (const std::string& argument : arguments)
        line += " " + QuoteWindowsArgument(argument);
    return line;
}

}  // namespace tarnwick
