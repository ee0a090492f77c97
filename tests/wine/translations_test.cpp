// The launcher's texts in all its languages: the string tables in this
// executable, compiled from the launcher's resource script, against their
// UTF-8 sources carried byte for byte beside them (translation_sources.rc),
// so a resource compiler reading the sources in another code page shows up
// here. And every translation keeps the English blanks and line ends, exists
// in its users' code page and fits the launcher's buffers. The dialogs as
// shown are read from the screen by e2e.languages.
#include <gtest/gtest.h>
#include <windows.h>

#include <cctype>
#include <map>
#include <regex>
#include <sstream>

#include "resources/resource_ids.h"

namespace {

struct Language {
    LANGID id;
    std::string name;
    UINT codePage;  // the ANSI code page of its users
    std::map<std::string, std::string> texts;  // string N under "N", "#define NAME text" under NAME
};

// Its source's texts: TW_TEXT(NAME, VALUE) under NAME's number, #define NAME
// VALUE under NAME; VALUE is a string literal or a name `known` defines.
std::map<std::string, std::string> Texts(const std::string& source, std::map<std::string, std::string> known) {
    static const std::regex kLine(R"-((?:#define (\w+)|TW_TEXT\((\w+),) (\w+|"(.*)")\)?\r?)-");
    std::istringstream lines(source);
    std::smatch m;
    for (std::string line; std::getline(lines, line);) {
        if (!std::regex_match(line, m, kLine)) continue;
        std::string value = m[4].matched ? "" : known.count(m[3]) ? known[m[3]] : m[3].str();
        for (auto c = m[4].first; c != m[4].second; ++c)
            value += *c != '\\' ? *c : *++c == 'n' ? '\n' : *c == 'r' ? '\r' : *c == 't' ? '\t' : *c;
        known[m[1].matched ? m[1].str() : known[m[2]]] = value;
    }
    return known;
}

std::string Source(LANGID language, int name) {
    HRSRC found = ::FindResourceExA(nullptr, RT_RCDATA, MAKEINTRESOURCEA(name), language);
    const auto* bytes = found ? static_cast<const char*>(::LockResource(::LoadResource(nullptr, found))) : "";
    return std::string(bytes, found ? ::SizeofResource(nullptr, found) : 0);
}

BOOL CALLBACK AddLanguage(HMODULE, LPCSTR, LPCSTR, WORD id, LONG_PTR list) {
    reinterpret_cast<std::vector<LANGID>*>(list)->push_back(id);
    return TRUE;
}

const std::vector<Language>& Languages() {  // English first
    static const std::vector<Language> languages = [] {
        std::vector<LANGID> ids = {MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)};
        ::EnumResourceLanguagesA(nullptr, RT_RCDATA, MAKEINTRESOURCEA(2), &AddLanguage, LONG_PTR(&ids));
        std::vector<Language> all;
        for (LANGID id : ids) {
            char name[32] = {}, codePage[8] = {};
            ::GetLocaleInfoA(MAKELCID(id, SORT_DEFAULT), LOCALE_SNAME, name, sizeof name);
            ::GetLocaleInfoA(MAKELCID(id, SORT_DEFAULT), LOCALE_IDEFAULTANSICODEPAGE, codePage, sizeof codePage);
            if (all.empty() || id != ids[0])
                all.push_back({id, name, UINT(std::atoi(codePage)), Texts(Source(id, 2), Texts(Source(0, 1), {}))});
        }
        return all;
    }();
    return languages;
}

// The string as stored for this language alone, with no fallback to another.
std::string Stored(LANGID language, int id) {
    HRSRC found = ::FindResourceExA(nullptr, RT_STRING, MAKEINTRESOURCEA(id / 16 + 1), language);
    const auto* entry = found ? static_cast<const WCHAR*>(::LockResource(::LoadResource(nullptr, found))) : nullptr;
    for (int i = 0; entry && i < id % 16; ++i) entry += 1 + *entry;
    if (!entry || *entry == 0) return "<absent>";
    std::string utf8(*entry * 4, '\0');
    utf8.resize(::WideCharToMultiByte(CP_UTF8, 0, entry + 1, *entry, utf8.data(), *entry * 4, nullptr, nullptr));
    return utf8;
}

// Each language has every English string but 31, and as its source has it.
TEST(Translations, TablesHoldTheirSourcesTexts) {
    ASSERT_EQ(Languages().size(), 10u) << "languages in translation_sources.rc";
    for (const Language& language : Languages()) {
        for (int id = 0; id < 96; ++id) {
            const auto source = language.texts.find(std::to_string(id));
            const bool english = Languages()[0].texts.count(std::to_string(id)) > 0,
                       all = language.id == Languages()[0].id || id != IDS_EXTRACTING_ARCHIVE;
            EXPECT_EQ(Stored(language.id, id), source == language.texts.end() ? "<absent>" : source->second)
                << language.name << " string " << id;
            EXPECT_EQ(source != language.texts.end(), english && all)
                << language.name << " string " << id;
        }
    }
}

// What a translation keeps of the English text: the blanks and line ends at
// its start and end, and every run of them inside it but a single blank.
std::string Shape(const std::string& text) {
    std::string shape;
    for (size_t i = 0, run; i < text.size(); i = std::max(run, i + 1)) {
        run = std::min(text.find_first_not_of(" \r\n\t", i), text.size());
        if (i == 0 || run == text.size() || run - i > 1 || (run > i && text[i] != ' '))
            shape += "<" + text.substr(i, run - i) + ">";
    }
    return shape;
}

// The launcher loads texts into buffers of the user's code page: log words
// and message boxes 100 bytes, status lines 255, the preparing note 500, the
// title 260. Only string 11's first sentence must fit: its box shows that.
TEST(Translations, KeepTheEnglishBlanksAndFitTheirCodePageAndBuffers) {
    const auto& english = Languages()[0].texts;
    for (const Language& language : Languages()) {
        for (const auto& [key, text] : language.texts) {
            EXPECT_EQ(Shape(text), Shape(english.count(key) ? english.at(key) : ""))
                << language.name << " " << key << ": '" << text << "'";
            const int id = std::isdigit(key[0]) ? std::stoi(key) : -1;
            if (id < 0) continue;
            std::wstring wide(512, L'\0');
            wide.resize(::MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), wide.data(), 512));
            BOOL lossy = FALSE;
            ::WideCharToMultiByte(language.codePage, WC_NO_BEST_FIT_CHARS, wide.data(), int(wide.size()), nullptr, 0,
                                  nullptr, &lossy);
            if (id == IDS_NO_DISK_SPACE) wide.resize(wide.find_first_of(L".\x3002") + 1);
            const int bytes = ::WideCharToMultiByte(language.codePage, 0, wide.data(), int(wide.size()), 0, 0, 0, 0);
            const int capacity =
                id == IDS_TITLE ? 260 : id == IDS_PREPARING ? 500 : id >= IDS_STATUS_EXTRACTING_VERIFY ? 255 : 100;
            EXPECT_TRUE(!lossy && bytes > 0 && bytes < capacity)
                << language.name << " string " << id << ": " << bytes << " bytes for " << capacity
                << (lossy ? ", not all in code page " : ", code page ") << language.codePage << ": '" << text << "'";
        }
    }
}

}  // namespace
