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

std::string Show(const Strings& words) {
    std::string text;
    for (const std::string& word : words) text += "[" + word + "]";
    return text;
}

// Drive C is /c, the current folder /cur; "X:" has no host path.
bool FakeResolve(const std::string& path, std::string* host) {
    if (path.empty() || path.compare(0, 2, "X:") == 0) return false;
    *host = IsDriveAbsolutePath(path) ? "/" + std::string(1, char(path[0] + 32)) + path.substr(2) : "/cur/" + path;
    for (char& c : *host) c = c == '\\' ? '/' : c;
    return true;
}

TEST(JvmBridgeTest, Tables) {
    test::RunCases("jvm_bridge.txt", {
        {"SplitWindowsCommandLine",
         [](const Strings& in) -> Strings { return {Show(SplitWindowsCommandLine(in[0]))}; }},
        {"MapClassPath", [](const Strings& in) -> Strings { return {MapClassPath(in[0], FakeResolve)}; }},
        {"TranslateJavaArguments", [](const Strings& in) -> Strings {
             return TranslateJavaArguments(Strings(in.begin() + 1, in.end()), in[0], FakeResolve);
         }},
        {"ReadBridgeSettings", [](const Strings& in) -> Strings { return {ReadBridgeSettings(in[0]).java}; }},
        {"QuoteWindowsArgument", [](const Strings& in) -> Strings {
             const std::string quoted = QuoteWindowsArgument(in[0]);
             EXPECT_EQ(Show(SplitWindowsCommandLine("program " + quoted + " " + quoted)),
                       Show({"program", in[0], in[0]}));
             return {quoted};
         }},
        {"ParseExitStatus", [](const Strings& in) -> Strings {
             int status = -1;
             const bool ok = ParseExitStatus(in[0], &status);
             return {ok ? "yes" : "no", std::to_string(status)};
         }},
    });
}

// Wine's names run through dosdevices; the host's real paths do not.
bool DosDevicesResolve(const std::string& path, std::string* host) {
    if (!FakeResolve(path, host)) return false;
    if (IsDriveAbsolutePath(path))
        *host = "/p/dosdevices/" + std::string(1, char(path[0] + 32)) + ":" + host->substr(2);
    return true;
}

TEST(JvmBridgeTest, PathsWithColonsAreAskedForOnceThenReplaced) {
    RealPaths paths(DosDevicesResolve);
    const Strings arguments = {"-cp", "C:\\a;lib;C:\\b;C:\\a", "-Dx=D:\\y", "Main", "C:\\arg"};
    TranslateJavaArguments(arguments, "", paths.Collecting());
    EXPECT_EQ(Show(paths.Wanted()), "[/p/dosdevices/c:/a][/p/dosdevices/c:/b][/p/dosdevices/d:/y]");
    EXPECT_FALSE(paths.Accept("/r/a\n/r/b\n")) << "one line short";
    ASSERT_TRUE(paths.Accept("/r/a\n/r/b\n/r/y\n"));
    EXPECT_EQ(Show(TranslateJavaArguments(arguments, "", paths.Resolved())),
              Show({"-cp", "/r/a:/cur/lib:/r/b:/r/a", "-Dx=/r/y", "Main", "C:\\arg"}));
}

TEST(JvmBridgeTest, TheShellGetsFolderJavaAndArgumentsIntact) {
    const Strings javaArguments = {"-cp", "/c/a b:/c/t", "Verify", "\"$(rm -rf x)\"", ""};
    const Strings words = SplitWindowsCommandLine(ComposeHostCommandLine("/tmp/run 1", "/usr/bin/java", javaArguments));
    ASSERT_GE(words.size(), 6u) << Show(words);
    Strings want = {"sh", "-c", words[2], "jvm_bridge", "/tmp/run 1", "/usr/bin/java"};
    want.insert(want.end(), javaArguments.begin(), javaArguments.end());
    EXPECT_EQ(Show(words), Show(want));
}

}  // namespace
}  // namespace tarnwick
