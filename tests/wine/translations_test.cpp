// The launcher's texts in all its languages: the string tables in this
// executable, compiled by the resource compiler, against their UTF-8 sources
// as the C++ compiler reads them (translation_sources.inc), so a resource
// compiler reading the sources in another code page shows up here. The
// dialogs as shown are read from the screen by e2e.languages.
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "base/win32/string_table.h"
#include "resources/resource_ids.h"

namespace {

const struct Source {
    LANGID language;
    std::map<int, std::string> texts;
} kSources[] = {
#include "tests/wine/translation_sources.inc"
};

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
    const auto& english = kSources[0].texts;
    for (const Source& source : kSources) {
        for (int id = 0; id < 96; ++id) {
            const auto text = source.texts.find(id);
            EXPECT_EQ(Stored(source.language, id), text == source.texts.end() ? "<absent>" : text->second)
                << "language " << source.language << " string " << id;
            EXPECT_EQ(text != source.texts.end(),
                      english.count(id) && (&source == kSources || id != IDS_EXTRACTING_ARCHIVE))
                << "language " << source.language << " string " << id;
        }
    }
}

// The launcher reads its texts without user32; what it reads is what
// LoadStringA gives, cut to the buffer the same way.
TEST(Translations, TextsReadAsLoadStringReadsThem) {
    for (const int capacity : {2, 12, tarnwick::kLogTextCapacity, tarnwick::kPreparingTextCapacity}) {
        for (int id = 0; id < 100; ++id) {
            std::vector<char> buffer(static_cast<size_t>(capacity), '\0');
            const int length = ::LoadStringA(::GetModuleHandleA(nullptr), static_cast<UINT>(id), buffer.data(), capacity);
            EXPECT_EQ(tarnwick::LoadText(id, capacity), std::string(buffer.data(), length > 0 ? size_t(length) : 0))
                << "string " << id << " into " << capacity << " bytes";
        }
    }
}

}  // namespace
