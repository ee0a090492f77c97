// The JVM bridge's portable rules: Windows command lines, Java arguments
// with their paths, the settings and exit-status files. The tables are in
// cases/jvm_bridge.txt.
#include "bridge_settings.h"
#include "host_command.h"
#include "java_arguments.h"
#include "real_paths.h"
#include "case_table.h"
#include "windows_arguments.h"

namespace tarnwick {
namespace {

using test::Strings;
using In = const Strings&;

std::string Show(const Strings& words) { return words.empty() ? "" : "[" + test::Join(words, "][") + "]"; }

// Drive C is /c, the current folder /cur; "X:" has no host path.
bool FakeResolve(const std::string& path, std::string* host) {
    if (path.empty() || path.compare(0, 2, "X:") == 0) return false;
    *host = IsDriveAbsolutePath(path) ? "/" + std::string(1, char(path[0] + 32)) + path.substr(2) : "/cur/" + path;
    for (char& c : *host) c = c == '\\' ? '/' : c;
    return true;
}

// Wine's names run through dosdevices; the host's real paths do not.
bool DosDevicesResolve(const std::string& path, std::string* host) {
    if (!FakeResolve(path, host)) return false;
    if (IsDriveAbsolutePath(path)) *host = "/p/dosdevices/" + std::string{char(path[0] + 32), ':'} + host->substr(2);
    return true;
}

TEST(JvmBridgeTest, Tables) {
    test::RunCases("jvm_bridge.txt", {
        {"SplitWindowsCommandLine", [](In in) -> Strings { return {Show(SplitWindowsCommandLine(in[0]))}; }},
        // The script (the third word) is the program's own text.
        {"ComposeHostCommandLine", [](In in) -> Strings {
             Strings words = SplitWindowsCommandLine(ComposeHostCommandLine(in[0], in[1], {in.begin() + 2, in.end()}));
             return words.size() < 3 ? words : (words[2] = "SCRIPT", words);
         }},
        {"MapClassPath", [](In in) -> Strings { return {MapClassPath(in[0], FakeResolve)}; }},
        {"TranslateJavaArguments", [](In in) -> Strings {
             return TranslateJavaArguments(Strings(in.begin() + 1, in.end()), in[0], FakeResolve);
         }},
        {"ReadBridgeSettings", [](In in) -> Strings { return {ReadBridgeSettings(in[0]).java}; }},
        {"QuoteWindowsArgument", [](In in) -> Strings {
             const std::string quoted = QuoteWindowsArgument(in[0]);
             EXPECT_EQ(Show(SplitWindowsCommandLine("p " + quoted + " " + quoted)), Show({"p", in[0], in[0]}));
             return {quoted};
         }},
        // Paths with colons are asked of the host once each; its realpath lines (in[0]) replace them.
        {"RealPaths", [](In in) -> Strings {
             RealPaths paths(DosDevicesResolve);
             const Strings arguments(in.begin() + 1, in.end());
             TranslateJavaArguments(arguments, "", paths.Collecting());
             EXPECT_FALSE(paths.Accept(in[0].substr(0, in[0].rfind('\n', in[0].size() - 2) + 1))) << "one line short";
             if (!paths.Accept(in[0])) return {Show(paths.Wanted()), "refused"};
             return {Show(paths.Wanted()), Show(TranslateJavaArguments(arguments, "", paths.Resolved()))};
         }},
        {"ParseExitStatus", [](In in) -> Strings {
             int status = -1;
             return {ParseExitStatus(in[0], &status) ? "yes" : "no", std::to_string(status)};
         }},
    });
}

}  // namespace
}  // namespace tarnwick
