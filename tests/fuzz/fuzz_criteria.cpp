// Fuzzes the criteria text: parsing, grouping and matching must not crash;
// no value holds a ';' or a ':'; a parsed criterion written back as text
// parses to the same values; only the first "microsoft" criterion of the
// process survives grouping; and a match records exactly what it matched.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "jvmsearch/jvm_criterion.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tarnwick;
    const std::string text(reinterpret_cast<const char*>(data), size);

    const std::vector<JvmCriterion> criteria = ParseSearchCriteria(text);
    size_t terms = 1;
    for (char c : text) terms += c == ';';
    Check(criteria.size() <= terms);
    size_t microsoft = 0;
    for (const JvmCriterion& c : criteria) microsoft += c.vendor == "microsoft";
    // Each criterion is checked on its own below: those of the first terms
    // test what all would, and a text of thousands stays fast.
    const std::vector<JvmCriterion> checked(criteria.begin(), criteria.begin() + std::min<size_t>(criteria.size(), 16));
    for (const JvmCriterion& c : checked) {
        for (const std::string* value : {&c.vendor, &c.version, &c.type}) {
            Check(!Contains(*value, ";") && !Contains(*value, ":"));
        }
        Check(!c.matched && c.matchedExecutable.empty());

        // Written back in the criteria format, it reads the same; only the
        // blanks at the very end of the term are trimmed away.
        JvmCriterion again;
        Check(again.ParseCriterionTerm("vendor=" + c.vendor + ":version=" + c.version + ":type=" + c.type));
        std::string type = c.type;
        type.erase(type.find_last_not_of(' ') + 1);
        Check(again.vendor == c.vendor && again.version == c.version && again.type == type);
    }

    // Grouping keeps every criterion but the "microsoft" ones after the
    // first of the run: the first of the text in search 1, none later.
    for (int searchNumber = 1; searchNumber <= 2; ++searchNumber) {
        const std::vector<CriterionGroup> groups = GroupCriteria(text, searchNumber);
        size_t kept = 0, keptMicrosoft = 0;
        for (const CriterionGroup& group : groups) {
            for (size_t i = 0; i < group.size(); ++i) {
                ++kept;
                if (group[i].vendor == "microsoft") {
                    ++keptMicrosoft;
                    Check(i == 0);  // it opens its group
                }
            }
        }
        const size_t wantMicrosoft = searchNumber == 1 && microsoft > 0 ? 1 : 0;
        Check(keptMicrosoft == wantMicrosoft);
        Check(kept == criteria.size() - microsoft + wantMicrosoft);
        Check(groups.size() >= microsoft);
        if (!groups.empty() && microsoft == 0) Check(groups.size() == 1);
    }

    // Match every criterion against a JVM whose reported values are cut
    // from the input.
    JvmDescriptor jvm;
    jvm.vendor = text.substr(0, size / 3);
    jvm.version = text.substr(size / 3, size / 3);
    jvm.bin = "C:\\jdk\\bin\\java.exe";
    for (JvmCriterion c : checked) {
        const JvmCriterion before = c;
        const bool want = !jvm.vendor.empty() && !jvm.version.empty() && Contains(jvm.vendor, c.vendor) &&
                          Contains(jvm.version, c.version);
        Check(MatchCriterion(c, jvm) == want);
        if (want) {
            Check(c.matched && c.matchedExecutable == jvm.bin);
            Check(c.vendor == (before.vendor.empty() ? jvm.vendor : before.vendor));
            Check(c.version == (before.version.empty() ? jvm.version : before.version));
        } else {
            Check(!c.matched && c.matchedExecutable.empty() && c.vendor == before.vendor &&
                  c.version == before.version);
        }
        Check(c.type == before.type);
    }
    return 0;
}
