#include "options/launcher_options.h"

#include <cstddef>

namespace tarnwick {
namespace {

constexpr char16_t kBlank = u' ';

// Only the blank separates tokens; a double or single quote toggles quoting,
// so "C:\My Files\a.class" stays one token.
size_t TokenEnd(const std::u16string& text, size_t pos) {
    bool quoted = false;
    while (pos < text.size() && (quoted || text[pos] != kBlank)) {
        if (text[pos] == u'"' || text[pos] == u'\'') quoted = !quoted;
        ++pos;
    }
    return pos;
}

size_t SkipBlanks(const std::u16string& text, size_t pos) {
    while (pos < text.size() && text[pos] == kBlank) ++pos;
    return pos;
}

char16_t AsciiLower(char16_t c) {
    return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

// A key matches when the text at `pos` begins with it, ignoring case, and a
// blank or the end follows: "-logall" is not taken for "-log".
bool KeyAt(const std::u16string& text, size_t pos, const char* key) {
    size_t i = 0;
    for (; key[i] != '\0'; ++i) {
        if (pos + i >= text.size()) return false;
        if (AsciiLower(text[pos + i]) != static_cast<char16_t>(key[i])) return false;
    }
    return pos + i == text.size() || text[pos + i] == kBlank;
}

void TrimValue(std::u16string& value) {
    auto trimmed = [](char16_t c) { return c == u'\n' || c == u'\t' || c == u' '; };
    size_t begin = 0;
    size_t end = value.size();
    while (begin < end && trimmed(value[begin])) ++begin;
    while (end > begin && trimmed(value[end - 1])) --end;
    value = value.substr(begin, end - begin);
    if (!value.empty() && value.front() == u'"') value.erase(0, 1);
    if (!value.empty() && value.back() == u'"') value.pop_back();
}

}  // namespace

void LauncherOptions::ParseCommandLine(const std::u16string& text, AnsiConverter toAnsi) {
    enum Key { kJvm, kNoSearch, kArchive, kVerify, kSearchCriteria, kLog, kSilent, kLogAll };
    // The order matters only for keys that are prefixes of others; it is
    // kept as the launcher has always tried them.
    static const char* const kKeys[] = {"jvm",  "nosearch", "archive", "verify",
                                        "searchcriteria", "log", "silent", "logall"};

    std::u16string criteria;
    std::u16string* pending = nullptr;
    size_t pos = 0;
    while (pos < text.size()) {
        if (text[pos] == u'-' || text[pos] == u'/') {
            const size_t keyStart = pos + 1;
            int matched = -1;
            for (int k = 0; k < static_cast<int>(sizeof kKeys / sizeof kKeys[0]); ++k) {
                if (KeyAt(text, keyStart, kKeys[k])) {
                    matched = k;
                    break;
                }
            }
            if (matched < 0) {
                pos = SkipBlanks(text, TokenEnd(text, pos));
                continue;
            }
            pos = keyStart + std::char_traits<char>::length(kKeys[matched]);
            switch (matched) {
                case kJvm: pending = &jvm; break;
                case kNoSearch: noSearch = true; break;
                case kArchive: pending = &archive; break;
                case kVerify: pending = &verify; break;
                case kSearchCriteria:
                    searchCriteriaGiven = true;
                    pending = &criteria;
                    break;
                case kLog:
                    logGiven = true;
                    pending = &log;
                    break;
                case kSilent: silent = true; break;
                case kLogAll: logAll = true; break;
            }
        } else {
            // A value keeps the blanks that follow it; trimming removes them.
            const size_t end = SkipBlanks(text, TokenEnd(text, pos));
            if (pending != nullptr) *pending = text.substr(pos, end - pos);
            pending = nullptr;
            pos = end;
        }
        pos = SkipBlanks(text, pos);
    }

    TrimValue(jvm);
    TrimValue(verify);
    TrimValue(archive);
    TrimValue(criteria);
    TrimValue(log);
    searchCriteria = toAnsi(criteria);
}

}  // namespace tarnwick
