#include "options/launcher_options.h"

#include <gtest/gtest.h>

#include <string>

namespace tarnwick {
namespace {

// Stands in for the ANSI code page: ASCII through, everything else '?'.
std::string Narrow(const std::u16string& text) {
    std::string out;
    for (char16_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

std::string Show(const std::u16string& text) {
    return Narrow(text);
}

LauncherOptions Parse(const std::u16string& line) {
    LauncherOptions options;
    options.ParseCommandLine(line, &Narrow);
    return options;
}

struct Expected {
    std::u16string jvm, archive, verify, log;
    std::string criteria;
    bool criteriaGiven, noSearch, logGiven, silent, logAll;
};

struct Case {
    const char* what;
    std::u16string line;
    Expected want;
};

class ParseCommandLineTest : public testing::TestWithParam<Case> {};

TEST_P(ParseCommandLineTest, FillsTheRecord) {
    const Case& c = GetParam();
    const LauncherOptions got = Parse(c.line);
    SCOPED_TRACE(std::string(c.what) + ": " + Show(c.line));
    EXPECT_EQ(Show(got.jvm), Show(c.want.jvm));
    EXPECT_EQ(Show(got.archive), Show(c.want.archive));
    EXPECT_EQ(Show(got.verify), Show(c.want.verify));
    EXPECT_EQ(Show(got.log), Show(c.want.log));
    EXPECT_EQ(got.searchCriteria, c.want.criteria);
    EXPECT_EQ(got.searchCriteriaGiven, c.want.criteriaGiven);
    EXPECT_EQ(got.noSearch, c.want.noSearch);
    EXPECT_EQ(got.logGiven, c.want.logGiven);
    EXPECT_EQ(got.silent, c.want.silent);
    EXPECT_EQ(got.logAll, c.want.logAll);
}

// Fields: jvm, archive, verify, log, criteria, criteriaGiven, noSearch,
// logGiven, silent, logAll.
const Case kCases[] = {
    {"empty line", u"", {}},
    {"blanks only", u"    ", {}},
    {"every flag", u"-nosearch -silent -logall",
     {u"", u"", u"", u"", "", false, true, false, true, true}},
    {"keys ignore case and take / too", u"-LOGALL /Silent /NOSEARCH",
     {u"", u"", u"", u"", "", false, true, false, true, true}},
    {"logall is not log", u"-logall", {u"", u"", u"", u"", "", false, false, false, false, true}},
    {"a key needs a blank or the end after it", u"-logall:yes -jvm=x -silentx",
     {}},
    {"log with a value", u"-log C:\\t\\log.txt",
     {u"", u"", u"", u"C:\\t\\log.txt", "", false, false, true, false, false}},
    {"log without a value", u"-log -silent",
     {u"", u"", u"", u"", "", false, false, true, true, false}},
    {"jvm as the last token stays empty", u"-silent -jvm",
     {u"", u"", u"", u"", "", false, false, false, true, false}},
    {"a flag between key and value keeps the target", u"-jvm -silent C:\\j\\bin\\java.exe",
     {u"C:\\j\\bin\\java.exe", u"", u"", u"", "", false, false, false, true, false}},
    {"the second value has no target", u"-archive a.class b.class",
     {u"", u"a.class", u"", u"", "", false, false, false, false, false}},
    {"an unknown key keeps the target", u"-jvm -bogus j.exe",
     {u"j.exe", u"", u"", u"", "", false, false, false, false, false}},
    {"double quotes keep blanks and are dropped",
     u"-archive \"C:\\My Files\\setup.class\" -silent",
     {u"", u"C:\\My Files\\setup.class", u"", u"", "", false, false, false, true, false}},
    {"single quotes keep blanks and stay", u"-verify 'C:\\My Files\\v.class'",
     {u"", u"", u"'C:\\My Files\\v.class'", u"", "", false, false, false, false, false}},
    {"a single quote closes a double quote", u"-jvm \"a b' c",
     {u"a b'", u"", u"", u"", "", false, false, false, false, false}},
    {"a quote inside a value toggles too", u"-jvm C:\\\"x y\"\\java.exe -silent",
     {u"C:\\\"x y\"\\java.exe", u"", u"", u"", "", false, false, false, true, false}},
    {"an unclosed quote takes the rest", u"-jvm \"C:\\a b -silent",
     {u"C:\\a b -silent", u"", u"", u"", "", false, false, false, false, false}},
    {"tabs do not separate", u"-jvm a\tb",
     {u"a\tb", u"", u"", u"", "", false, false, false, false, false}},
    {"a tab after a key is no separator", u"-silent\t-logall", {}},
    {"trimming: tabs and line feeds go, quotes once", u"-jvm \t\"\"x\"\"\n",
     {u"\"x\"", u"", u"", u"", "", false, false, false, false, false}},
    {"a carriage return is no blank", u"-jvm x\r",
     {u"x\r", u"", u"", u"", "", false, false, false, false, false}},
    {"criteria with a value", u"-searchcriteria vendor=sun:type=jre;vendor=ibm -silent",
     {u"", u"", u"", u"", "vendor=sun:type=jre;vendor=ibm", true, false, false, true, false}},
    {"criteria without a value is still given", u"-searchcriteria -nosearch",
     {u"", u"", u"", u"", "", true, true, false, false, false}},
    {"criteria in quotes", u"-searchcriteria \"vendor=sun: type=jdk\"",
     {u"", u"", u"", u"", "vendor=sun: type=jdk", true, false, false, false, false}},
    {"criteria go through the code page", u"-searchcriteria caf\u00e9",
     {u"", u"", u"", u"", "caf?", true, false, false, false, false}},
    {"a later value replaces an earlier one", u"-jvm a.exe -jvm b.exe",
     {u"b.exe", u"", u"", u"", "", false, false, false, false, false}},
    {"a lone dash is skipped", u"- -silent", {u"", u"", u"", u"", "", false, false, false, true, false}},
    {"a stray value before any key is dropped", u"x.exe -silent",
     {u"", u"", u"", u"", "", false, false, false, true, false}},
    {"all paths", u"-jvm j -archive a -verify v -log l",
     {u"j", u"a", u"v", u"l", "", false, false, true, false, false}},
};

INSTANTIATE_TEST_SUITE_P(Lines, ParseCommandLineTest, testing::ValuesIn(kCases));

}  // namespace
}  // namespace tarnwick
