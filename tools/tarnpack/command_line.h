// Argument handling shared by the subcommands: options with values, lists of
// files, and usage errors that name the subcommand and point to its help.
#pragma once

#include <set>
#include <string>
#include <vector>

namespace tarnpack {

class CommandLine {
  public:
    CommandLine(std::string command, std::vector<std::string> args)
        : command_(std::move(command)), args_(std::move(args)) {}

    bool Done() const { return next_ == args_.size(); }
    const std::string& Next() { return args_[next_++]; }
    // The value of `option`, which was just taken; a usage error when none
    // follows or the option came before.
    std::string TakeValue(const std::string& option);
    // The same for an option that may be repeated.
    std::string TakeRepeatableValue(const std::string& option);
    // The arguments up to the next option.
    std::vector<std::string> TakeList();

    // Throws PackError: "<command>: <message> (see tarnpack <command> --help)".
    [[noreturn]] void Fail(const std::string& message) const;
    void Require(const std::string& value, const std::string& option) const;

  private:
    std::string command_;
    std::vector<std::string> args_;
    size_t next_ = 0;
    std::set<std::string> seen_;
};

// An option is anything that starts with '-' and has more after it.
bool IsOption(const std::string& arg);
bool WantsHelp(const std::vector<std::string>& args);

}  // namespace tarnpack
