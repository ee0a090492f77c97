// jvm_bridge.exe: installed as java.exe in a Wine prefix, it lets Windows
// programs run the host's real JVM. It takes a java.exe command line, turns
// its Windows paths into host paths (see java_arguments.h), runs the host's
// java (bridge.properties beside it says which; else "java" on the host's
// PATH), passes its output and errors on, and exits with its exit status.
// Failures of the bridge itself are one "jvm_bridge: ..." line on standard
// error and exit status 1.
#include <windows.h>

#include <string>
#include <vector>

#include "base/win32/scoped_handle.h"
#include "bridge_settings.h"
#include "host_command.h"
#include "host_process.h"
#include "java_arguments.h"
#include "real_paths.h"
#include "run_folder.h"
#include "unix_names.h"
#include "utf8_text.h"
#include "windows_arguments.h"

namespace tarnwick {
namespace {

int Fail(const std::string& what) {
    const DWORD error = ::GetLastError();
    char number[16];
    wsprintfA(number, "%lu", error);
    const std::string line = "jvm_bridge: " + what + " (error " + number + ")\r\n";
    HANDLE target = ::GetStdHandle(STD_ERROR_HANDLE);
    DWORD written = 0;
    if (target != nullptr && target != INVALID_HANDLE_VALUE)
        ::WriteFile(target, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    return 1;
}

std::wstring OwnFolder() {
    wchar_t path[MAX_PATH + 1] = {};
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH + 1);
    if (length == 0 || length > MAX_PATH) return std::wstring();
    std::wstring folder(path, length);
    return folder.substr(0, folder.find_last_of(L'\\'));
}

// A missing file is no error: the defaults serve.
BridgeSettings LoadSettings() {
    const std::wstring path = OwnFolder() + L"\\bridge.properties";
    ScopedHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    std::string text;
    char buffer[4096];
    DWORD read = 0;
    while (file.IsValid() && ::ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr) && read > 0)
        text.append(buffer, read);
    return ReadBridgeSettings(text);
}

std::string HostUserHome(const HostPathResolver& resolve) {
    wchar_t profile[MAX_PATH + 1] = {};
    const DWORD length = ::GetEnvironmentVariableW(L"USERPROFILE", profile, MAX_PATH + 1);
    std::string host;
    if (length == 0 || length > MAX_PATH || !resolve(ToUtf8(profile), &host)) return std::string();
    return host;
}

int Run() {
    if (!WineUnixNamesAvailable()) {
        ::SetLastError(ERROR_NOT_SUPPORTED);
        return Fail("runs only under Wine");
    }
    std::vector<std::string> arguments = SplitWindowsCommandLine(ToUtf8(::GetCommandLineW()));
    if (!arguments.empty()) arguments.erase(arguments.begin());  // this program

    RunFolder folder;
    std::string hostFolder;
    if (!folder.Create()) return Fail("cannot make a folder in the temporary folder");
    const HostPathResolver wine = WineHostPathResolver();
    if (!wine(ToUtf8(folder.Path()), &hostFolder))
        return Fail("the temporary folder has no host path");

    // The first pass only learns which host paths want their real path.
    RealPaths paths(wine);
    TranslateJavaArguments(arguments, HostUserHome(paths.Collecting()), paths.Collecting());
    if (!paths.Wanted().empty()) {
        std::vector<std::string> realpath = {"-m", "--"};
        realpath.insert(realpath.end(), paths.Wanted().begin(), paths.Wanted().end());
        std::string output;
        int status = 0;
        if (!RunOnHost(folder, ComposeHostCommandLine(hostFolder, "realpath", realpath), &output, &status) ||
            status != 0 || !paths.Accept(output))
            return Fail("cannot learn the real host paths");
    }
    const HostPathResolver resolve = paths.Resolved();
    const std::vector<std::string> javaArguments =
        TranslateJavaArguments(arguments, HostUserHome(resolve), resolve);
    int exitStatus = 0;
    if (!RunOnHost(folder, ComposeHostCommandLine(hostFolder, LoadSettings().java, javaArguments), nullptr,
                   &exitStatus))
        return Fail("cannot run the host's java");
    return exitStatus;
}

}  // namespace
}  // namespace tarnwick

int main() { return tarnwick::Run(); }
