#include <cstdint>
#include <iostream>

#include "archive_writer.h"
#include "command_line.h"
#include "commands.h"
#include "host_files.h"
#include "input_file.h"

namespace tarnpack {
namespace {

constexpr char kHelp[] =
    R"(usage: tarnpack archive -o OUT.CLASS --class MAIN.CLASS [--section NAME FILE...]
                        [--compressed NAME FILE...] [--bundled-jvm FILE]...

Writes the installer's Java archive: the compiled main class with the given
resources in a class attribute at its end, so it still runs as that class.
  -o FILE                    the archive to write; name it after the class
  --class FILE               the main class as javac wrote it
  --section NAME FILE...     a section of the files up to the next option
  --compressed NAME FILE...  the same, compressed into one raw DEFLATE stream
  --bundled-jvm FILE         a JVM installer the launcher may install; it goes
                             into the section "BundledVMInstallers" with flag 1
Sections appear in the order given; each file becomes one resource named
after its file name. The resources together must stay below 4 GiB.
)";

}  // namespace

int RunArchive(const std::vector<std::string>& args) {
    if (WantsHelp(args)) {
        std::cout << kHelp;
        return 0;
    }
    CommandLine line("archive", args);
    ArchiveInputs inputs;
    std::string output;
    size_t bundled = SIZE_MAX;  // the bundled-JVM section, once it exists
    while (!line.Done()) {
        const std::string option = line.Next();
        if (option == "-o") {
            output = line.TakeValue(option);
        } else if (option == "--class") {
            inputs.classFile = line.TakeValue(option);
        } else if (option == "--section" || option == "--compressed") {
            ArchiveSectionInput section{line.TakeRepeatableValue(option), option == "--compressed", {}};
            if (section.name.empty()) line.Fail(option + " needs a section name");
            for (const std::string& file : line.TakeList())
                section.resources.push_back({BaseName(file), file, {}});
            inputs.sections.push_back(std::move(section));
        } else if (option == "--bundled-jvm") {
            const std::string file = line.TakeRepeatableValue(option);
            if (bundled == SIZE_MAX) {
                bundled = inputs.sections.size();
                inputs.sections.push_back({kBundledJvmSection, false, {}});
            }
            inputs.sections[bundled].resources.push_back({BaseName(file), file, {1}});
        } else {
            line.Fail("unknown argument " + option);
        }
    }
    line.Require(output, "-o");
    line.Require(inputs.classFile, "--class");

    HostFiles files;
    const ArchiveSummary summary = WriteArchive(files, inputs, output);
    std::cout << output << ": " << summary.fileSize << " bytes, " << inputs.sections.size()
              << " sections, offset table at " << summary.tableOffset << "\n";
    return 0;
}

}  // namespace tarnpack
