#include "jvmsearch/jvm_criterion.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarnwick {
namespace {

// "vendor/version/type" per criterion, '|' between criteria, groups in
// parentheses: a failure shows everything that was seen.
std::string Describe(const std::vector<JvmCriterion>& criteria) {
    std::string text;
    for (const JvmCriterion& c : criteria) {
        text += (text.empty() ? "" : "|") + c.vendor + "/" + c.version + "/" + c.type;
    }
    return text;
}

std::string Describe(const std::vector<CriterionGroup>& groups) {
    std::string text;
    for (const CriterionGroup& group : groups) text += "(" + Describe(group) + ")";
    return text;
}

const char kPackageCriteria[] =
    "vendor=sun:type=jre:version=1.2;vendor=sun:type=jre:version=1.1;vendor=sun:type=jdk:version=1.2;"
    "vendor=sun:type=jdk:version=1.1;vendor=ibm:version=1.2;vendor=ibm:version=1.1;vendor=ibm:version=1.2;"
    "vendor=microsoft:type=jview:version=1.1";
const char kSunAndIbm[] = "(sun/1.2/jre|sun/1.1/jre|sun/1.2/jdk|sun/1.1/jdk|ibm/1.2/|ibm/1.1/|ibm/1.2/)";

TEST(TrimSpacesTest, RemovesOnlyBlanksAtTheEnds) {
    const std::pair<const char*, const char*> cases[] = {
        {"  a b  ", "a b"}, {"   ", ""}, {"", ""}, {"\ta\t", "\ta\t"}, {" 1.2\r\n", "1.2\r\n"}};
    for (const auto& [text, want] : cases) {
        std::string got = text;
        TrimSpaces(got);
        EXPECT_EQ(got, want) << "text [" << text << "] saw [" << got << "]";
    }
}

TEST(ParseSearchCriteriaTest, ParsesTermsInOrder) {
    const std::pair<std::string, const char*> cases[] = {
        // Empty text and empty terms accept any JVM.
        {"", "//"}, {"vendor=sun;;vendor=ibm", "sun//|//|ibm//"}, {"vendor=sun;", "sun//|//"},
        {"  vendor=sun:type=jre  ", "sun//jre"}, {"vendor=sun:type=jre:", "sun//jre"},
        {"type=jre:vendor=ibm:vendor=sun", "sun//jre"},
        // Whatever stands between key word and '=' is skipped, even a ':'.
        {"versions=1.2", "/1.2/"}, {"vendor:version=1.2", "1.2//"}, {"version=1.2=b", "/1.2=b/"},
        // Case-sensitive keys, no blanks inside the term, only blanks
        // trimmed: the term is refused, the others keep their order.
        {"vendor=sun:Type=jre", ""}, {"vendor=sun: type=jre", ""}, {"Vendor=sun;vendor=ibm", "ibm//"},
        {"\tvendor=sun", ""},
        // A key word with no '=' after it refuses its term.
        {"vendor=sun:type", ""}, {"vendor=sun;version;type=jre", "sun//|//jre"},
        {kPackageCriteria,
         "sun/1.2/jre|sun/1.1/jre|sun/1.2/jdk|sun/1.1/jdk|ibm/1.2/|ibm/1.1/|ibm/1.2/|microsoft/1.1/jview"},
    };
    for (const auto& [text, want] : cases) {
        const std::string got = Describe(ParseSearchCriteria(text));
        EXPECT_EQ(got, want) << "text [" << text << "] saw [" << got << "]";
    }
}

TEST(ParseCriterionTermTest, RefusedTermLeavesTheCriterionAlone) {
    JvmCriterion criterion;
    criterion.vendor = "ibm";
    EXPECT_FALSE(criterion.ParseCriterionTerm("version=1.4:type"));
    EXPECT_TRUE(criterion.ParseCriterionTerm("version=1.4"));
    EXPECT_EQ(Describe({criterion}), "ibm/1.4/");
}

TEST(GroupCriteriaTest, FirstMicrosoftCriterionOfTheRunOpensAGroup) {
    struct Case {
        const char* text;
        int searchNumber;
        std::string want;
    };
    const Case cases[] = {
        {"", 1, "(//)"},
        {"vendor=microsoft:type=jview:version=1.1;vendor=sun", 1, "()(microsoft/1.1/jview|sun//)"},
        {"vendor=sun;vendor=microsoft;vendor=ibm;vendor=microsoft;vendor=sun", 1,
         "(sun//)(microsoft//|ibm//)(sun//)"},
        // A dropped microsoft criterion still closes the group before it.
        {"vendor=microsoft;vendor=microsoft", 1, "()(microsoft//)"},
        {"vendor=Microsoft;vendor= microsoft", 1, "(Microsoft//| microsoft//)"},
        // The search after installing a shipped JVM keeps none; the empty
        // group after the dropped one goes too.
        {kPackageCriteria, 1, std::string(kSunAndIbm) + "(microsoft/1.1/jview)"},
        {kPackageCriteria, 2, kSunAndIbm},
        {"vendor=microsoft;vendor=sun", 2, "()(sun//)"},
    };
    for (const Case& c : cases) {
        const std::string got = Describe(GroupCriteria(c.text, c.searchNumber));
        EXPECT_EQ(got, c.want) << "search " << c.searchNumber << " text [" << c.text << "] saw " << got;
    }
}

TEST(MatchCriterionTest, MatchesBySubstringAndRecordsTheJvm) {
    struct Case {
        const char* term;
        const char* vendor;   // reported, trimmed
        const char* version;  // reported, trimmed
        const char* after;    // the criterion afterwards; empty: no match
    };
    const Case cases[] = {
        {"vendor=sun:type=jre:version=1.2", "sun", "1.2.2", "sun/1.2/jre"},
        {"", "ibm", "1.1.8", "ibm/1.1.8/"},
        {"version=1.2", "sun", "1.1.2", "sun/1.2/"},
        // The type is the place's business, not the match's.
        {"type=jdk", "sun", "1.3", "sun/1.3/jdk"},
        // A URL as vendor is matched by a piece of it without "https:".
        {"vendor=adoptium", "https://adoptium.net/", "1.8.0", "adoptium/1.8.0/"},
        // Nothing reported never matches; a failed match changes nothing.
        {"", "ibm", "", ""}, {"", "", "1.1.8", ""}, {"vendor=sun", "Sun", "1.2", ""},
        {"version=1.4", "sun", "1.3.1", ""},
    };
    for (const Case& c : cases) {
        JvmCriterion criterion;
        ASSERT_TRUE(criterion.ParseCriterionTerm(c.term));
        const std::string before = Describe({criterion});
        JvmDescriptor jvm;
        jvm.vendor = c.vendor;
        jvm.version = c.version;
        jvm.bin = "C:\\jre\\bin\\jre.exe";
        const bool want = *c.after != '\0';
        EXPECT_EQ(MatchCriterion(criterion, jvm), want)
            << "term [" << c.term << "] vs " << c.vendor << " " << c.version;
        const std::string after = Describe({criterion});
        EXPECT_EQ(after, want ? c.after : before) << "term [" << c.term << "] saw " << after;
        EXPECT_EQ(criterion.matched, want);
        EXPECT_EQ(criterion.matchedExecutable, want ? jvm.bin : "") << "term [" << c.term << "]";
    }
}

TEST(SameJvmTest, ComparesWhereTheJvmLivesOnly) {
    JvmDescriptor a;
    a.home = "C:\\jdk";
    a.libs = "C:\\jdk\\lib\\dt.jar";
    a.bin = "C:\\jdk\\bin\\java.exe";
    JvmDescriptor b = a;
    b.vendor = "ibm";
    b.type = "jre";
    b.version = "1.1";
    EXPECT_TRUE(SameJvm(a, b));
    for (auto field : {&JvmDescriptor::home, &JvmDescriptor::libs, &JvmDescriptor::bin}) {
        JvmDescriptor other = a;
        (other.*field)[0] = 'c';  // differs in case only
        EXPECT_FALSE(SameJvm(a, other)) << "saw " << other.home << " " << other.libs << " " << other.bin;
    }
}

}  // namespace
}  // namespace tarnwick
