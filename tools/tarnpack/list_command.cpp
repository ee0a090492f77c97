#include <iostream>

#include "command_line.h"
#include "commands.h"
#include "host_files.h"
#include "listing.h"

namespace tarnpack {
namespace {

constexpr char kHelp[] =
    R"(usage: tarnpack list FILE

Shows what the launcher reads from FILE, through the launcher's own readers
and with their full trace: the section table and criteria of a setup
executable (a file starting with "MZ"), or else the sections and resources of
a Java archive and where its offset table lies. Fails when the launcher would.
)";

}  // namespace

int RunList(const std::vector<std::string>& args) {
    if (WantsHelp(args)) {
        std::cout << kHelp;
        return 0;
    }
    CommandLine line("list", args);
    const std::vector<std::string> files = line.TakeList();
    if (!line.Done()) line.Fail("unknown argument " + line.Next());
    if (files.size() != 1) line.Fail("give exactly one file");

    HostFiles opener;
    if (LooksLikeExecutable(opener, files[0])) {
        ListPackage(opener, files[0], std::cout);
    } else {
        ListArchive(opener, files[0], std::cout);
    }
    return 0;
}

}  // namespace tarnpack
