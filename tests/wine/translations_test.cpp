// The string tables and dialogs of all ten languages as the launcher carries
// them: read back from this executable's resources (built from the same
// resource script) and compared with the UTF-8 sources, so a resource
// compiler reading the sources in another code page shows up here; and every
// translation keeps the English text's blanks and line ends, fits the
// buffers the launcher loads it into and exists in its language's code page.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "resources/resource_ids.h"

namespace tarnwick::test {
namespace {

struct Text {
    int id;
    const char* utf8;
};

struct Language {
    const char* name;
    LANGID id;
    UINT codePage;  // the ANSI code page of its users
    std::vector<Text> texts;
    // The dialogs' texts in the order of their controls.
    std::vector<const char*> progress, browse, bundled, abort;
};

#define TW_TEXT(id, text) {id, text},
#define TW_DIALOGS                                                                         \
    {TW_DLG_CANCEL},                                                                       \
        {TW_DLG_NO_JVM,        TW_DLG_SELECT_VM, TW_DLG_BROWSE, TW_DLG_DOWNLOAD_NOTE       \
         JVM_DOWNLOAD_ADDRESS, TW_DLG_OK,        TW_DLG_CANCEL},                           \
        {TW_DLG_BUNDLED_CONSENT, TW_DLG_OK, TW_DLG_CANCEL}, {                              \
        TW_DLG_ABORT_QUESTION, TW_DLG_OK, TW_DLG_CANCEL                                    \
    }

const Language kLanguages[] = {
    {"English", MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), 1252, {
#include "resources/strings_en.inc"
     }, TW_DIALOGS},
#include "resources/dialog_texts_end.inc"
    {"Chinese (Traditional)", MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_TRADITIONAL), 950, {
#include "resources/strings_zh_tw.inc"
     }, TW_DIALOGS},
#include "resources/dialog_texts_end.inc"
    {"Chinese (Simplified)", MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED), 936, {
#include "resources/strings_zh_cn.inc"
     }, TW_DIALOGS},
#include "resources/dialog_texts_end.inc"
    {"French", MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH), 1252, {
#include "resources/strings_fr.inc"
     }, TW_DIALOGS},
#include "resources/dialog_texts_end.inc"
    {"German", MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), 1252, {
#include "resources/strings_de.inc"
     }, TW_DIALOGS},
#include "resources/dialog_texts_end.inc"
    {"Italian", MAKELANGID(LANG_ITALIAN, SUBLANG_ITALIAN), 1252, {
#include "resources/strings_it.inc"
     }, TW_DIALOGS},
#include "resources/dialog_texts_end.inc"
    {"Japanese", MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT), 932, {
#include "resources/strings_ja.inc"
     }, TW_DIALOGS},
#include "resources/dialog_texts_end.inc"
    {"Korean", MAKELANGID(LANG_KOREAN, SUBLANG_KOREAN), 949, {
#include "resources/strings_ko.inc"
     }, TW_DIALOGS},
#include "resources/dialog_texts_end.inc"
    {"Spanish", MAKELANGID(LANG_SPANISH, SUBLANG_SPANISH_MODERN), 1252, {
#include "resources/strings_es.inc"
     }, TW_DIALOGS},
#include "resources/dialog_texts_end.inc"
    {"Swedish", MAKELANGID(LANG_SWEDISH, SUBLANG_SWEDISH), 1252, {
#include "resources/strings_sv.inc"
     }, TW_DIALOGS},
#include "resources/dialog_texts_end.inc"
};
#undef TW_DIALOGS
#undef TW_TEXT

const Language& English() { return kLanguages[0]; }

std::string Utf8(const std::wstring& text) {
    std::string out(text.size() * 4 + 1, '\0');
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                        out.data(), static_cast<int>(out.size()), nullptr, nullptr);
    out.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return out;
}

// The string as stored for `language` alone (no fallback to another
// language); *present false when that table lacks it.
std::string StoredString(LANGID language, int id, bool* present) {
    *present = false;
    HRSRC found = ::FindResourceExW(nullptr, reinterpret_cast<LPCWSTR>(RT_STRING),
                                    MAKEINTRESOURCEW(id / 16 + 1), language);
    if (found == nullptr) return {};
    const auto* entry = static_cast<const WCHAR*>(::LockResource(::LoadResource(nullptr, found)));
    for (int i = 0; i < id % 16; ++i) entry += 1 + *entry;
    *present = *entry != 0;
    return Utf8(std::wstring(entry + 1, *entry));
}

// What a translation must keep of the English text: its leading and
// trailing blanks and line ends, and every run of them inside that is more
// than one blank (such as "  " or "  \n\n").
std::string Shape(const std::string& text) {
    auto blank = [](char c) { return c == ' ' || c == '\r' || c == '\n' || c == '\t'; };
    std::string shape = "[";
    size_t i = 0;
    while (i < text.size() && blank(text[i])) shape += text[i++];
    shape += "]";
    size_t end = text.size();
    while (end > i && blank(text[end - 1])) --end;
    while (i < end) {
        size_t run = i;
        while (run < end && blank(text[run])) ++run;
        if (run - i > 1 || (run > i && text[i] != ' ')) shape += "<" + text.substr(i, run - i) + ">";
        i = run > i ? run : i + 1;
    }
    return shape + "[" + text.substr(end) + "]";
}

const char* Find(const Language& language, int id) {
    for (const Text& text : language.texts) {
        if (text.id == id) return text.utf8;
    }
    return nullptr;
}

TEST(Translations, TablesHoldTheirSourcesTexts) {
    for (const Language& language : kLanguages) {
        for (int id = 0; id < 96; ++id) {
            const char* want = Find(language, id);
            bool present = false;
            const std::string got = StoredString(language.id, id, &present);
            EXPECT_EQ(present, want != nullptr) << language.name << " string " << id << ": '" << got << "'";
            if (want != nullptr) {
                EXPECT_EQ(got, want) << language.name << " string " << id;
            }
        }
    }
}

TEST(Translations, EveryLanguageHasTheEnglishIdsButStringThirtyOne) {
    for (const Language& language : kLanguages) {
        for (const Text& english : English().texts) {
            const bool expected = &language == &English() || english.id != IDS_EXTRACTING_ARCHIVE;
            EXPECT_EQ(Find(language, english.id) != nullptr, expected) << language.name << " string " << english.id;
        }
        EXPECT_EQ(language.texts.size(), English().texts.size() - (&language == &English() ? 0 : 1))
            << language.name;
    }
}

TEST(Translations, KeepTheEnglishBlanksAndLineEnds) {
    for (const Language& language : kLanguages) {
        for (const Text& text : language.texts) {
            const char* english = Find(English(), text.id);
            ASSERT_NE(english, nullptr) << language.name << " string " << text.id;
            EXPECT_EQ(Shape(text.utf8), Shape(english)) << language.name << " string " << text.id << ": '"
                                                        << text.utf8 << "'";
        }
        const std::vector<const char*>* dialogs[] = {&language.progress, &language.browse, &language.bundled,
                                                     &language.abort};
        const std::vector<const char*>* englishDialogs[] = {&English().progress, &English().browse,
                                                            &English().bundled, &English().abort};
        for (size_t d = 0; d < 4; ++d) {
            for (size_t i = 0; i < dialogs[d]->size(); ++i) {
                EXPECT_EQ(Shape((*dialogs[d])[i]), Shape((*englishDialogs[d])[i]))
                    << language.name << " dialog text '" << (*dialogs[d])[i] << "'";
            }
        }
    }
}

// The launcher loads texts into buffers of the user's code page: log words
// and message boxes 100 bytes, status lines 255, the preparing note 500, the
// title 260. A text must survive that whole, except string 11 whose first
// sentence is what the box shows.
TEST(Translations, FitTheirCodePageAndBuffers) {
    for (const Language& language : kLanguages) {
        for (const Text& text : language.texts) {
            std::wstring wide(512, L'\0');
            wide.resize(static_cast<size_t>(::MultiByteToWideChar(CP_UTF8, 0, text.utf8, -1, wide.data(), 512) - 1));
            char ansi[1024] = {};
            BOOL lossy = FALSE;
            const int bytes = ::WideCharToMultiByte(language.codePage, WC_NO_BEST_FIT_CHARS, wide.data(),
                                                    static_cast<int>(wide.size()), ansi, sizeof ansi, nullptr,
                                                    &lossy);
            EXPECT_GT(bytes, 0) << language.name << " string " << text.id << ", error " << ::GetLastError();
            EXPECT_FALSE(lossy) << language.name << " string " << text.id << " is not all in code page "
                                << language.codePage << ": '" << text.utf8 << "'";
            int capacity = 100;
            if (text.id == IDS_TITLE) capacity = 260;
            if (text.id == IDS_PREPARING) capacity = 500;
            if (text.id >= IDS_STATUS_EXTRACTING_VERIFY && text.id != IDS_PREPARING) capacity = 255;
            if (text.id == IDS_NO_DISK_SPACE) {
                const size_t end = wide.find_first_of(L".\x3002") + 1;
                const int first = ::WideCharToMultiByte(language.codePage, 0, wide.data(), static_cast<int>(end),
                                                        nullptr, 0, nullptr, nullptr);
                EXPECT_LT(first, capacity) << language.name << ": the box shows the first sentence '"
                                           << Utf8(wide.substr(0, end)) << "' only in part";
                continue;
            }
            EXPECT_LT(bytes, capacity) << language.name << " string " << text.id << ": '" << text.utf8 << "'";
        }
    }
}

INT_PTR CALLBACK QuietDialog(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// The texts of a dialog's static texts and buttons, in control order.
std::vector<std::string> ControlTexts(HWND dialog) {
    std::vector<std::string> texts;
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
        WCHAR kind[32] = {};
        ::GetClassNameW(child, kind, 32);
        const LONG style = ::GetWindowLongW(child, GWL_STYLE);
        const bool isStatic = ::lstrcmpiW(kind, L"Static") == 0 && (style & SS_TYPEMASK) != SS_ICON;
        if (!isStatic && ::lstrcmpiW(kind, L"Button") != 0) continue;
        WCHAR text[512] = {};
        ::GetWindowTextW(child, text, 512);
        if (text[0] != 0) texts.push_back(Utf8(text));
    }
    return texts;
}

TEST(Translations, DialogsShowTheirLanguagesTexts) {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&controls);
    for (const Language& language : kLanguages) {
        const struct {
            int id;
            const std::vector<const char*>& texts;
        } dialogs[] = {{IDD_PROGRESS, language.progress},
                       {IDD_BROWSE_JVM, language.browse},
                       {IDD_BUNDLED_JVM, language.bundled},
                       {IDD_ABORT, language.abort}};
        for (const auto& d : dialogs) {
            HRSRC found = ::FindResourceExW(nullptr, reinterpret_cast<LPCWSTR>(RT_DIALOG), MAKEINTRESOURCEW(d.id),
                                            language.id);
            ASSERT_NE(found, nullptr) << language.name << " dialog " << d.id << ", error " << ::GetLastError();
            const auto* layout = static_cast<const DLGTEMPLATE*>(::LockResource(::LoadResource(nullptr, found)));
            HWND dialog = ::CreateDialogIndirectParamW(::GetModuleHandleW(nullptr), layout, nullptr, &QuietDialog, 0);
            ASSERT_NE(dialog, nullptr) << language.name << " dialog " << d.id << ", error " << ::GetLastError();
            std::vector<std::string> want(d.texts.begin(), d.texts.end());
            EXPECT_EQ(ControlTexts(dialog), want) << language.name << " dialog " << d.id;
            WCHAR caption[64] = {};
            ::GetWindowTextW(dialog, caption, 64);
            EXPECT_EQ(Utf8(caption), "Tarnwick Java Edition") << language.name << " dialog " << d.id;
            ::DestroyWindow(dialog);
        }
    }
}

}  // namespace
}  // namespace tarnwick::test
