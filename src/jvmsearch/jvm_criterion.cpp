#include "jvmsearch/jvm_criterion.h"

#include <utility>

namespace tarnwick {

void TrimSpaces(std::string& text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) {
        text.clear();
        return;
    }
    text.erase(text.find_last_not_of(' ') + 1);
    text.erase(0, first);
}

bool JvmCriterion::ParseCriterionTerm(std::string term) {
    TrimSpaces(term);
    // Work on copies so that a refused term leaves the criterion unchanged.
    std::string newVendor = vendor, newVersion = version, newType = type;
    struct Key {
        const char* word;
        size_t length;
        std::string* field;
    };
    const Key keys[] = {{"vendor", 6, &newVendor}, {"version", 7, &newVersion}, {"type", 4, &newType}};

    size_t pos = 0;
    while (pos < term.size()) {
        const Key* key = nullptr;
        for (const Key& k : keys) {
            if (term.compare(pos, k.length, k.word) == 0) {
                key = &k;
                break;
            }
        }
        // Keys are case-sensitive; anything else refuses the whole term,
        // also when earlier items were good.
        if (key == nullptr) return false;
        // Whatever stands between the key word and the '=' is skipped
        // ("versions=1.2" sets the version).
        const size_t eq = term.find('=', pos + key->length);
        // A key word with no '=' anywhere after it has no value at all. We
        // refuse the term rather than read it as "any": a half-written
        // criterion must not widen what the installer accepts.
        if (eq == std::string::npos) return false;
        size_t end = term.find(':', eq);
        if (end == std::string::npos) end = term.size();
        // The value may hold '='; a later item of the same key wins.
        *key->field = term.substr(eq + 1, end - eq - 1);
        pos = end + 1;
    }
    vendor = std::move(newVendor);
    version = std::move(newVersion);
    type = std::move(newType);
    return true;
}

std::vector<JvmCriterion> ParseSearchCriteria(const std::string& text) {
    // The closing ';' makes the last term like every other one, so a text
    // ending in ';' has an empty, accept-anything last term.
    const std::string all = text + ';';
    std::vector<JvmCriterion> criteria;
    size_t pos = 0;
    while (pos < all.size()) {
        const size_t end = all.find(';', pos);
        JvmCriterion criterion;
        if (criterion.ParseCriterionTerm(all.substr(pos, end - pos))) {
            criteria.push_back(std::move(criterion));
        }
        pos = end + 1;
    }
    return criteria;
}

std::vector<CriterionGroup> GroupCriteria(const std::string& text, int searchNumber) {
    std::vector<CriterionGroup> groups;
    CriterionGroup current;
    bool keepMicrosoft = searchNumber == 1;
    for (JvmCriterion& criterion : ParseSearchCriteria(text)) {
        if (criterion.vendor != "microsoft") {
            current.push_back(std::move(criterion));
            continue;
        }
        groups.push_back(std::move(current));
        current = CriterionGroup();
        if (keepMicrosoft) current.push_back(std::move(criterion));
        keepMicrosoft = false;
    }
    if (!current.empty()) groups.push_back(std::move(current));
    return groups;
}

bool MatchCriterion(JvmCriterion& criterion, const JvmDescriptor& descriptor) {
    const std::string& vendor = descriptor.vendor;
    const std::string& version = descriptor.version;
    // A JVM that reported no vendor or no version proves nothing, not even
    // against a criterion that accepts anything.
    if (vendor.empty() || version.empty()) return false;
    if (vendor.find(criterion.vendor) == std::string::npos) return false;
    if (version.find(criterion.version) == std::string::npos) return false;
    // The end-of-search summary reports what was actually found.
    if (criterion.vendor.empty()) criterion.vendor = vendor;
    if (criterion.version.empty()) criterion.version = version;
    criterion.matchedExecutable = descriptor.bin;
    criterion.matched = true;
    return true;
}

namespace {

// Feature versions stay far below this; more digits are no version.
constexpr int kMaxVersionDigits = 6;

// The digits at `at` as a number, ending at `end`; false when there are none
// or too many.
bool LeadingNumber(const std::string& text, size_t at, int* number, size_t* end) {
    size_t i = at;
    int value = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9' && i - at < kMaxVersionDigits) {
        value = value * 10 + (text[i] - '0');
        ++i;
    }
    if (i == at || (i < text.size() && text[i] >= '0' && text[i] <= '9')) return false;
    *number = value;
    *end = i;
    return true;
}

bool EndsFeature(const std::string& text, size_t at) {
    return at == text.size() || text[at] == '.' || text[at] == '_' || text[at] == '-' || text[at] == '+';
}

}  // namespace

bool FeatureVersion(const std::string& version, int* feature) {
    int number = 0;
    size_t end = 0;
    if (!LeadingNumber(version, 0, &number, &end) || !EndsFeature(version, end)) return false;
    if (number == 1 && end < version.size() && version[end] == '.') {
        return LeadingNumber(version, end + 1, feature, &end) && EndsFeature(version, end);
    }
    *feature = number;
    return true;
}

bool MinimumFeatureVersion(const std::string& value, int* minimum) {
    size_t end = 0;
    return LeadingNumber(value, 0, minimum, &end) && end + 1 == value.size() && value[end] == '+';
}

bool MatchJvm(JvmCriterion& criterion, const JvmDescriptor& descriptor) {
    int minimum = 0;
    if (!MinimumFeatureVersion(criterion.version, &minimum)) return MatchCriterion(criterion, descriptor);
    int feature = 0;
    if (!FeatureVersion(descriptor.version, &feature) || feature < minimum) return false;
    // The floor is met: what is left is the vendor test, with a version
    // value that every reported version contains.
    JvmCriterion anyVersion = criterion;
    anyVersion.version.clear();
    if (!MatchCriterion(anyVersion, descriptor)) return false;
    anyVersion.version = criterion.version;
    criterion = anyVersion;
    return true;
}

bool SameJvm(const JvmDescriptor& a, const JvmDescriptor& b) {
    return a.home == b.home && a.libs == b.libs && a.bin == b.bin;
}

}  // namespace tarnwick
