// Fuzzes what the JVM bridge reads: a Windows command line split into
// arguments and each argument quoted back gives the same arguments again;
// the settings file, the exit-status file and the Java arguments with
// their class paths never crash, and an unchanged path stays unchanged.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "bridge_settings.h"
#include "fuzz_check.h"
#include "java_arguments.h"
#include "windows_arguments.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tarnwick;
    const std::string text(reinterpret_cast<const char*>(data), size);

    const std::vector<std::string> arguments = SplitWindowsCommandLine(text);
    std::string quoted;
    for (const std::string& argument : arguments) quoted += (quoted.empty() ? "" : " ") + QuoteWindowsArgument(argument);
    Check(SplitWindowsCommandLine(quoted) == arguments);

    ReadBridgeSettings(text);
    int status = 0;
    ParseExitStatus(text, &status);

    // With every path its own host path, the class path only changes its
    // separators.
    const HostPathResolver same = [](const std::string& path, std::string* host) {
        *host = path;
        return true;
    };
    TranslateJavaArguments(arguments, "/home/user", same);
    const std::string mapped = MapClassPath(text, same);
    Check(mapped.size() <= text.size());
    return 0;
}
