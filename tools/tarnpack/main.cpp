// tarnpack: builds the Java archive and the setup executable the launcher
// runs, and lists them the way the launcher reads them.
#include <cstdio>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "commands.h"

namespace {

constexpr char kHelp[] =
    R"(usage: tarnpack COMMAND [ARGS]   (tarnpack COMMAND --help for more)

  archive  puts the installer's resources into its main class
  build    appends the package (archive, Verify.class, JVM criteria) to the launcher
  list     shows what the launcher reads from a setup executable or an archive
)";

int Dispatch(const std::vector<std::string>& args) {
    if (args.empty()) {
        std::cerr << "tarnpack: no command given (see tarnpack --help)\n";
        return 2;
    }
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (args[0] == "build") return tarnpack::RunBuild(rest);
    if (args[0] == "archive") return tarnpack::RunArchive(rest);
    if (args[0] == "list") return tarnpack::RunList(rest);
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        std::cout << kHelp;
        return 0;
    }
    std::cerr << "tarnpack: unknown command " << args[0] << " (see tarnpack --help)\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return Dispatch(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::exception& error) {
        std::cout.flush();
        std::cerr << "tarnpack: " << error.what() << "\n";
        return 1;
    }
}
