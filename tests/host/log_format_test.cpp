#include "base/log_format.h"

#include <gtest/gtest.h>

#include <string>

namespace tarnwick {
namespace {

TEST(FormatTextTest, FormatsTheLogLinesExactly) {
    struct Case {
        std::string got;
        std::string want;
    };
    const Case cases[] = {
        // Labels that end in a blank give two blanks before the next word.
        {FormatText("\r\n%s %s %s\r\n", {"Validation of ", "C:\\t\\Verify.class", "failed"}),
         "\r\nValidation of  C:\\t\\Verify.class failed\r\n"},
        {FormatText("\r\n\t%s %s \r\n", {"Search for JVM failed", ""}),
         "\r\n\tSearch for JVM failed  \r\n"},
        {FormatText("\r\n %s \r\n", {"Application was Aborted"}), "\r\n Application was Aborted \r\n"},
        {FormatText("\r\n%s %s %s (%d)\r\n", {"Not enough space to copy file ", "a.exe", "of size", 3585985}),
         "\r\nNot enough space to copy file  a.exe of size (3585985)\r\n"},
        {FormatText("\t%s (%d), %s (%d) ..\r\n", {"Exe Size", 466944, "Total File Size", -5}),
         "\tExe Size (466944), Total File Size (-5) ..\r\n"},
        {FormatText("%d %u", {int32_t{-1}, uint32_t{4294967295u}}), "-1 4294967295"},
        {FormatText("%02d|%02d|%02d|%03d", {0, 7, 123, -5}), "00|07|123|-05"},
        {FormatText("%5d|%5s", {42, "ab"}), "   42|   ab"},
        {FormatText("100%%", {}), "100%"},
        // Missing or mismatched arguments print nothing instead of reading on.
        {FormatText("a%sb%dc", {}), "abc"},
        {FormatText("%d-%s", {"text", 5}), "-"},
        {FormatText("end%", {"x"}), "end"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.got, c.want);
}

TEST(FormatLogHeaderTest, PutsTheMonthFirstAndPadsToTwoDigits) {
    EXPECT_EQ(FormatLogHeader("Date", "Time", {2026, 12, 5, 18, 9, 3}),
              "Date :: 12:05:2026 Time :: 18:09:03");
    EXPECT_EQ(FormatLogHeader("Date", "Time", {999, 1, 2, 3, 4, 5}),
              "Date :: 01:02:999 Time :: 03:04:05");
    EXPECT_EQ(FormatLogHeader("Datum", "Zeit", {12026, 10, 31, 0, 0, 59}),
              "Datum :: 10:31:12026 Zeit :: 00:00:59");
}

}  // namespace
}  // namespace tarnwick
