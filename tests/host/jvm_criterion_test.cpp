#include "jvmsearch/jvm_criterion.h"

#include <gtest/gtest.h>

#include <limits>
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

// MicrosoftCriteriaSeen lives as long as the process: each test sets the
// value it needs and puts the old one back.
class GroupCriteriaTest : public testing::Test {
  protected:
    void TearDown() override { MicrosoftCriteriaSeen = saved_; }
    const int32_t saved_ = MicrosoftCriteriaSeen;
};

TEST_F(GroupCriteriaTest, FirstMicrosoftCriterionOpensAGroup) {
    struct Case {
        const char* text;
        const char* want;
        int32_t seenAfter;
    };
    const Case cases[] = {
        {"", "(//)", 1},
        {"vendor=microsoft:type=jview:version=1.1;vendor=sun", "()(microsoft/1.1/jview|sun//)", 2},
        {"vendor=sun;vendor=microsoft;vendor=ibm;vendor=microsoft;vendor=sun",
         "(sun//)(microsoft//|ibm//)(sun//)", 3},
        // A dropped microsoft criterion still closes the group before it.
        {"vendor=microsoft;vendor=microsoft", "()(microsoft//)", 3},
        {"vendor=Microsoft;vendor= microsoft", "(Microsoft//| microsoft//)", 1},
    };
    for (const Case& c : cases) {
        MicrosoftCriteriaSeen = 1;
        const std::string got = Describe(GroupCriteria(c.text));
        EXPECT_EQ(got, c.want) << "text [" << c.text << "] saw " << got;
        EXPECT_EQ(MicrosoftCriteriaSeen, c.seenAfter) << "text [" << c.text << "]";
    }
}

TEST_F(GroupCriteriaTest, SecondSearchKeepsNoMicrosoftCriterion) {
    MicrosoftCriteriaSeen = 1;
    const std::string first = Describe(GroupCriteria(kPackageCriteria));
    EXPECT_EQ(first, std::string(kSunAndIbm) + "(microsoft/1.1/jview)") << "saw " << first;
    // The microsoft criterion is dropped, and the empty group after it too.
    const std::string second = Describe(GroupCriteria(kPackageCriteria));
    EXPECT_EQ(second, kSunAndIbm) << "saw " << second;
    EXPECT_EQ(MicrosoftCriteriaSeen, 3);
}

TEST_F(GroupCriteriaTest, CounterNeverWrapsBackToOne) {
    MicrosoftCriteriaSeen = std::numeric_limits<int32_t>::max();
    const std::string got = Describe(GroupCriteria("vendor=microsoft;vendor=sun"));
    EXPECT_EQ(got, "()(sun//)") << "saw " << got;
    EXPECT_EQ(MicrosoftCriteriaSeen, std::numeric_limits<int32_t>::max());
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
