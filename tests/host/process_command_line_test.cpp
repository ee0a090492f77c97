#include "base/process_command_line.h"

#include <gtest/gtest.h>

namespace tarnwick {
namespace {

TEST(ComposeProcessCommandLineTest, QuotesOnlyPathsWithBlanks) {
    struct Case {
        const char* executable;
        const char* arguments;
        const char* want;
    };
    const Case cases[] = {
        {"java.exe", "", "java.exe"},
        {"java.exe", "-version", "java.exe -version"},
        {"C:\\j\\bin\\java.exe", "  -classpath \"C:\\t\" Verify",
         "C:\\j\\bin\\java.exe   -classpath \"C:\\t\" Verify"},
        {"C:\\Program Files\\Java\\bin\\java.exe", "",
         "\"C:\\Program Files\\Java\\bin\\java.exe\""},
        {"C:\\Documents and Settings\\u\\Temp\\jre.exe", "-x",
         "\"C:\\Documents and Settings\\u\\Temp\\jre.exe\" -x"},
        {"C:\\tab\there\\java.exe", "a", "\"C:\\tab\there\\java.exe\" a"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ComposeProcessCommandLine(c.executable, c.arguments), c.want)
            << "executable " << c.executable;
    }
}

}  // namespace
}  // namespace tarnwick
