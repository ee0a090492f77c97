#include "command_line.h"

#include "pack_error.h"

namespace tarnpack {

bool IsOption(const std::string& arg) {
    return arg.size() > 1 && arg[0] == '-';
}

bool WantsHelp(const std::vector<std::string>& args) {
    for (const std::string& arg : args) {
        if (arg == "--help" || arg == "-h") return true;
    }
    return false;
}

std::string CommandLine::TakeValue(const std::string& option) {
    if (!seen_.insert(option).second) Fail(option + " is given twice");
    return TakeRepeatableValue(option);
}

std::string CommandLine::TakeRepeatableValue(const std::string& option) {
    if (Done() || IsOption(args_[next_])) Fail(option + " needs a value");
    return Next();
}

std::vector<std::string> CommandLine::TakeList() {
    std::vector<std::string> list;
    while (!Done() && !IsOption(args_[next_])) list.push_back(Next());
    return list;
}

void CommandLine::Fail(const std::string& message) const {
    throw PackError(command_ + ": " + message + " (see tarnpack " + command_ + " --help)");
}

void CommandLine::Require(const std::string& value, const std::string& option) const {
    if (value.empty()) Fail(option + " is missing");
}

}  // namespace tarnpack
