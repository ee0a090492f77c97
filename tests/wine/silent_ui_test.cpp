// A silent run's error box where nobody can see it: its text goes to the log
// and the run goes on, where a box would wait for ever (the child would
// still run).
#include <gtest/gtest.h>

#include "tests/wine/wine_test_util.h"

namespace tarnwick::test {
namespace {

TEST(SilentUi, BoxInAnInvisibleWindowStationGoesToTheLog) {
    const std::string log = TempFolder() + "tw_hidden_box.log";
    const std::string ended = StartAndWait(Quoted(OwnExePath()) + " --child hidden-box " + Quoted(log), nullptr, 20000);
    const std::string text = ReadWholeFile(log);
    EXPECT_EQ(ended, "exit 0");
    EXPECT_NE(text.find("\r\nThe installation could not continue because there is insufficient disk space"),
              std::string::npos) << "'" << text << "'";
    ::DeleteFileA(log.c_str());
}

}  // namespace
}  // namespace tarnwick::test
