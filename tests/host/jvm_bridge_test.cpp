#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "bridge_settings.h"
#include "host_command.h"
#include "java_arguments.h"
#include "real_paths.h"
#include "windows_arguments.h"

namespace tarnwick {
namespace {

using Strings = std::vector<std::string>;

std::string Show(const Strings& words) {
    std::string text;
    for (const std::string& word : words)
        text += "[" + word + "]";
    return text;
}

TEST(SplitWindowsCommandLineTest, CRuntimeRules) {
    const struct {
        const char* line;
        Strings want;
    } cases[] = {
        {"", {}},
        {"  \t ", {}},
        {"C:\\j\\bin\\java.exe  -classpath \"C:\\a b;C:\\t\" Verify",
         {"C:\\j\\bin\\java.exe", "-classpath", "C:\\a b;C:\\t", "Verify"}},
        {"a\\\\b c\\d", {"a\\\\b", "c\\d"}},
        {"\"a\\\"b\" x", {"a\"b", "x"}},
        {"\"a\\\\\" x", {"a\\", "x"}},
        {"a\\\\\\\"b", {"a\\\"b"}},
        {"\"\" \"x\"\"y\" z", {"", "x\"y", "z"}},
        {"ab\"c d\"e f", {"abc de", "f"}},
        {"\"open to the end", {"open to the end"}},
        {"trailing\\", {"trailing\\"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Show(SplitWindowsCommandLine(c.line)), Show(c.want)) << "line " << c.line;
    }
}

TEST(QuoteWindowsArgumentTest, SplitGivesEveryArgumentBack) {
    const Strings arguments = {"plain", "", "a b", "tab\there", "q\"uote", "C:\\dir\\",
                               "C:\\a b\\", "\\\\\"", "back\\\\slashes", "d=$1; \"$@\" >\"$d/out\""};
    std::string line = "program";
    for (const std::string& argument : arguments)
        line += " " + QuoteWindowsArgument(argument);
    Strings want = {"program"};
    want.insert(want.end(), arguments.begin(), arguments.end());
    EXPECT_EQ(Show(SplitWindowsCommandLine(line)), Show(want)) << "line " << line;
    EXPECT_EQ(QuoteWindowsArgument("C:\\x\\y"), "C:\\x\\y");
}

// Drive C is /c, the current folder /cur; "X:" has no host path.
bool FakeResolve(const std::string& path, std::string* host) {
    if (path.empty() || path.compare(0, 2, "X:") == 0) return false;
    std::string text = IsDriveAbsolutePath(path) ? "/" + std::string(1, path[0] + 32) + path.substr(2)
                                                 : "/cur/" + path;
    for (char& c : text)
        if (c == '\\') c = '/';
    *host = text;
    return true;
}

TEST(MapClassPathTest, EntriesResolvedAndJoined) {
    const std::map<std::string, std::string> cases = {
        {"", ""},
        {"C:\\a", "/c/a"},
        {"C:\\a;C:\\b c\\d.jar", "/c/a:/c/b c/d.jar"},
        {"C:\\a;", "/c/a:"},
        {";;C:\\a", "::/c/a"},
        {"X:\\gone;C:\\a;X:\\too", "/c/a"},
        {"lib\\x.jar", "/cur/lib/x.jar"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MapClassPath(c.first, FakeResolve), c.second) << "class path " << c.first;
    }
}

TEST(TranslateJavaArgumentsTest, PathsOfTheJvmMappedProgramArgumentsKept) {
    const struct {
        Strings arguments;
        Strings want;
    } cases[] = {
        {{"-classpath", "C:\\j\\lib\\classes.zip;C:\\t", "Verify"},
         {"-classpath", "/c/j/lib/classes.zip:/c/t", "Verify"}},
        {{"-cp", "C:\\t", "Installer", "C:\\target", "-cp", "C:\\x"},
         {"-cp", "/c/t", "Installer", "C:\\target", "-cp", "C:\\x"}},
        {{"--class-path=C:\\t;", "-Dtarnwick.target=C:\\dest", "-Dname=plain", "-Xmx64m", "Main"},
         {"--class-path=/c/t:", "-Dtarnwick.target=/c/dest", "-Dname=plain", "-Xmx64m", "Main"}},
        {{"-Dgone=X:\\y", "-Dflag", "-version"}, {"-Dgone=X:\\y", "-Dflag", "-version"}},
        {{"--add-modules", "C:\\m", "-jar", "C:\\app.jar", "-cp", "C:\\z"},
         {"--add-modules", "C:\\m", "-jar", "/c/app.jar", "-cp", "C:\\z"}},
        {{"-cp"}, {"-cp"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Show(TranslateJavaArguments(c.arguments, "", FakeResolve)), Show(c.want))
            << "arguments " << Show(c.arguments);
    }
    EXPECT_EQ(Show(TranslateJavaArguments({"-Duser.home=C:\\me", "Main"}, "/home/u", FakeResolve)),
              Show({"-Duser.home=/home/u", "-Duser.home=/c/me", "Main"}));
}

// Wine's names run through dosdevices; the host's real paths do not.
bool DosDevicesResolve(const std::string& path, std::string* host) {
    if (!FakeResolve(path, host)) return false;
    if (IsDriveAbsolutePath(path))
        *host = "/p/dosdevices/" + std::string(1, path[0] + 32) + ":" + host->substr(2);
    return true;
}

TEST(RealPathsTest, PathsWithColonsAskedOnceThenReplaced) {
    RealPaths paths(DosDevicesResolve);
    const Strings arguments = {"-cp", "C:\\a;lib;C:\\b;C:\\a", "-Dx=D:\\y", "Main", "C:\\arg"};
    TranslateJavaArguments(arguments, "", paths.Collecting());
    EXPECT_EQ(Show(paths.Wanted()), "[/p/dosdevices/c:/a][/p/dosdevices/c:/b][/p/dosdevices/d:/y]");
    EXPECT_FALSE(paths.Accept("/r/a\n/r/b\n")) << "one line short";
    ASSERT_TRUE(paths.Accept("/r/a\n/r/b\n/r/y\n"));
    EXPECT_EQ(Show(TranslateJavaArguments(arguments, "", paths.Resolved())),
              Show({"-cp", "/r/a:/cur/lib:/r/b:/r/a", "-Dx=/r/y", "Main", "C:\\arg"}));
}

TEST(ComposeHostCommandLineTest, ShellGetsFolderJavaAndArgumentsIntact) {
    const Strings javaArguments = {"-cp", "/c/a b:/c/t", "Verify", "\"$(rm -rf x)\"", ""};
    const Strings words =
        SplitWindowsCommandLine(ComposeHostCommandLine("/tmp/run 1", "/usr/bin/java", javaArguments));
    ASSERT_GE(words.size(), 6u) << Show(words);
    EXPECT_EQ(Show(Strings(words.begin(), words.begin() + 2)), "[sh][-c]");
    Strings want = {"jvm_bridge", "/tmp/run 1", "/usr/bin/java"};
    want.insert(want.end(), javaArguments.begin(), javaArguments.end());
    EXPECT_EQ(Show(Strings(words.begin() + 3, words.end())), Show(want));
}

TEST(ReadBridgeSettingsTest, JavaPathOrDefault) {
    const std::map<std::string, std::string> cases = {
        {"", "java"},
        {"java=/usr/lib/jvm/x/bin/java\n", "/usr/lib/jvm/x/bin/java"},
        {"# host JVM\r\n  java = /opt/j/bin/java \r\nother=1\r\n", "/opt/j/bin/java"},
        {"java=/a\njava=/b", "/b"},
        {"java=\n", "java"},
        {"#java=/a\njava /b\n", "java"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ReadBridgeSettings(c.first).java, c.second) << "text " << c.first;
    }
}

TEST(ParseExitStatusTest, NumbersOnly) {
    const struct {
        const char* text;
        bool ok;
        int status;
    } cases[] = {{"0\n", true, 0}, {"127\n", true, 127}, {" 3 ", true, 3}, {"", false, -1},
                 {"\n", false, -1}, {"1x\n", false, -1}, {"-1\n", false, -1}, {"1234\n", false, -1}};
    for (const auto& c : cases) {
        int status = -1;
        EXPECT_EQ(ParseExitStatus(c.text, &status), c.ok) << "text '" << c.text << "'";
        EXPECT_EQ(status, c.status) << "text '" << c.text << "'";
    }
}

}  // namespace
}  // namespace tarnwick
