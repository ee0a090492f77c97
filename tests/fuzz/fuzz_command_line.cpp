// The command lines that run a JVM: from an executable path, a class path
// and a class location cut from the input, the line the launcher composes
// must come apart, by the rules of a Windows program's C runtime, into
// exactly the executable, the class-path option, the class path the JVM is
// meant to get and the class name; nothing can run into the next argument.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/process_command_line.h"
#include "fuzz_check.h"
#include "javacommand/java_command.h"
#include "windows_arguments.h"

namespace {

// Windows takes the program name up to the closing quote, or the first blank.
std::string ProgramName(const std::string& line) {
    if (!line.empty() && line[0] == '"') return line.substr(1, line.find('"', 1) - 1);
    return line.substr(0, line.find_first_of(" \t"));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tarnwick;
    const std::string text(reinterpret_cast<const char*>(data), size);
    // Three fields separated by NUL bytes, which no path holds.
    const size_t first = text.find('\0');
    const size_t second = first == std::string::npos ? first : text.find('\0', first + 1);
    if (second == std::string::npos) return 0;
    const std::string executable = text.substr(0, first);
    const std::string classPath = text.substr(first + 1, second - first - 1);
    const std::string location = text.substr(second + 1);

    // Any text quoted comes back as itself.
    Check(SplitWindowsCommandLine(QuoteArgument(text)) == std::vector<std::string>{text});

    std::string args;
    if (!BuildJavaCommand(executable, classPath, location, args)) {
        Check(args.empty());
        return 0;
    }
    const std::string line = ComposeProcessCommandLine(executable, args);
    // Windows file names hold no quote, and an executable path holds no
    // line end; the packer refuses class names that are no Java names.
    const ClassToRun run = SplitClassLocation(location);
    if (executable.find_first_of("\"\r\n") != std::string::npos || executable.empty() ||
        executable.back() == '\\' || executable.find_first_of(" \t") == 0 ||
        run.name.empty() || run.name.find_first_of(" \t\"\\") != std::string::npos) {
        return 0;
    }
    Check(ProgramName(line) == executable);

    std::vector<std::string> parts = SplitWindowsCommandLine(line.substr(QuoteExecutable(executable).size()));
    Check(!parts.empty() && parts.back() == run.name);
    const size_t slash = executable.rfind('\\');
    if (slash == std::string::npos) {
        Check(parts.size() == 1);
        return 0;
    }
    Check(parts.size() == 3);
    Check(parts[0] == "-classpath" || parts[0] == "-cp" || parts[0] == "/cp:p");
    const std::string given = classPath.empty() ? executable.substr(0, slash + 1) + "..\\lib\\classes.zip" : classPath;
    Check(parts[1] == given + ";" + run.folder);
    // The class's folder is never a bare drive, which names the drive's
    // current folder.
    Check(!(run.folder.size() == 2 && run.folder[1] == ':'));
    return 0;
}
