// The JVM criteria text, the criteria it becomes, how they are cut into the
// groups that order the search, and the record of one found JVM.
//
// Criteria text: terms separated by ';', each term items separated by ':',
// each item "vendor=...", "version=..." or "type=..."; a left-out key or an
// empty value means "any". Values are compared case-sensitively.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarnwick {

// Removes the blanks (0x20 only; tabs and line ends stay) at both ends.
void TrimSpaces(std::string& text);

// One found JVM. An empty `bin` stands for no JVM.
struct JvmDescriptor {
    JvmDescriptor() = default;
    JvmDescriptor(const JvmDescriptor&) = default;
    JvmDescriptor& operator=(const JvmDescriptor&) = default;
    virtual ~JvmDescriptor() = default;

    std::string home;     // installation folder
    std::string libs;     // the JVM's own class path; empty for jview
    std::string bin;      // full path of java.exe, jre.exe or jview.exe
    std::string vendor;   // derived from the reported vendor URL
    std::string type;     // "jdk", "jre" or "jview": where it was found
    std::string version;  // the reported java.version, trimmed
    std::string reportedHome;  // the reported java.home, trimmed
};

// One term of the criteria text. `matchedExecutable` and `matched`, and an
// empty `vendor` or `version`, are filled by MatchCriterion during a search.
struct JvmCriterion {
    std::string vendor;
    std::string version;
    std::string type;
    std::string matchedExecutable;
    bool matched = false;

    // Fills vendor, version and type from one term. False when the term is
    // not a criterion; the fields are then left as they were.
    bool ParseCriterionTerm(std::string term);
};

using CriterionGroup = std::vector<JvmCriterion>;

// Every accepted term, in the order of the text. An empty text, and every
// empty term, give a criterion that accepts any JVM.
std::vector<JvmCriterion> ParseSearchCriteria(const std::string& text);

// The criteria cut into groups: each kept "microsoft" criterion opens a new
// group, and every "microsoft" criterion closes the group before it (even
// an empty one). Only the first "microsoft" criterion of the run is kept:
// the first of the text in search 1; a later search of the run (the one
// after installing a shipped JVM reads the same text) keeps none.
std::vector<CriterionGroup> GroupCriteria(const std::string& text, int searchNumber);

// Whether a verified JVM (its vendor and version already set) meets the
// criterion: both reported values present and containing the criterion's
// values. On a match the criterion records the JVM.
bool MatchCriterion(JvmCriterion& criterion, const JvmDescriptor& descriptor);

// The feature version of a java.version string: the number after "1." for
// "1.x" strings ("1.8.0_392" is 8), else the leading integer, which ends at
// '.', '_', '-', '+' or the end ("17.0.9", "21", "9-ea"). False when the text
// has none.
bool FeatureVersion(const std::string& version, int* feature);

// The N of a version value "N+" (digits, then '+'); false for any other value.
bool MinimumFeatureVersion(const std::string& value, int* minimum);

// The search's test of a verified JVM: a version value "N+" asks for a
// feature version of at least N, with the vendor still tested as
// MatchCriterion does; any other value is MatchCriterion's containment.
bool MatchJvm(JvmCriterion& criterion, const JvmDescriptor& descriptor);

// Same home, libs and bin: the same JVM for refusing duplicates.
bool SameJvm(const JvmDescriptor& a, const JvmDescriptor& b);

}  // namespace tarnwick
