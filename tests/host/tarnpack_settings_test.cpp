// tarnpack build's launcher settings over a small PE that the MinGW tools
// made with a manifest and a version resource (the fuzz seed): every value
// lands in its field, nothing else changes, and what does not fit is refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "edited_files.h"
#include "image_settings.h"
#include "pack_error.h"
#include "tests/host/test_bytes.h"

namespace tarnpack {
namespace {

using tarnwick::test::Data;

Data SeedImage() {
    std::ifstream file(TARNPACK_SEED_PE, std::ios::binary);
    return Data(std::istreambuf_iterator<char>(file), {});
}

// The image as tarnpack build copies it: read through the edits.
Data Edited(const Data& image, const ImageSettings& settings) {
    tarnwick::MemoryFiles files;
    files.Add("launcher.exe", image);
    EditedFiles edited(files, "launcher.exe", LauncherEdits(files, "launcher.exe", settings));
    Data out(image.size());
    EXPECT_TRUE(edited.Open("launcher.exe")->Read(out.data(), static_cast<uint32_t>(out.size())));
    return out;
}

Data Ascii(const std::string& text) { return Data(text.begin(), text.end()); }
// UTF-16LE of `text`, padded with zeros to `units`.
Data Utf16(const std::u16string& text, size_t units) {
    Data out;
    for (size_t i = 0; i < units; ++i) {
        const char16_t unit = i < text.size() ? text[i] : u'\0';
        out.push_back(static_cast<uint8_t>(unit));
        out.push_back(static_cast<uint8_t>(unit >> 8));
    }
    return out;
}
size_t Count(const Data& haystack, const Data& needle) {
    size_t found = 0;
    for (auto at = haystack.begin(); (at = std::search(at, haystack.end(), needle.begin(), needle.end())) != haystack.end(); ++at) ++found;
    return found;
}

TEST(TarnpackSettingsTest, EachValueLandsInItsFieldAndNothingElseChanges) {
    const Data image = SeedImage();
    ASSERT_GT(image.size(), 1000u) << TARNPACK_SEED_PE;
    const Data out = Edited(image, {"asInvoker", "Acme \xC3\xA9", "2.1.7 beta", "Acme installer"});
    ASSERT_EQ(out.size(), image.size());
    EXPECT_EQ(Count(out, Ascii("level=\"asInvoker\"            uiAccess=\"false\"")), 1u);
    // The seed's texts have room for 24 characters and a zero, its versions for 10.
    EXPECT_EQ(Count(out, Utf16(u"Acme \u00e9", 25)), 1u);
    EXPECT_EQ(Count(out, Utf16(u"Acme installer", 25)), 1u);
    EXPECT_EQ(Count(out, Utf16(u"2.1.7 beta", 11)), 2u);  // ProductVersion and FileVersion
    // VS_FIXEDFILEINFO: signature, structure version, then file and product version 2.1.7.0.
    const Data fixed = tarnwick::test::Build("le32:0xFEEF04BD le32:0x10000 le32:0x20001 le32:0x70000 le32:0x20001 le32:0x70000");
    EXPECT_EQ(Count(out, fixed), 1u);
    size_t changed = 0;
    for (size_t i = 0; i < image.size(); ++i) changed += image[i] != out[i];
    EXPECT_LE(changed, 20u + 2 * (25 + 25 + 11 + 11) + 16) << "bytes outside the fields changed";
    // Without settings the launcher's bytes pass unchanged.
    EXPECT_EQ(Edited(image, {}), image);
}

TEST(TarnpackSettingsTest, WhatDoesNotFitOrIsNoValueIsRefused) {
    const Data image = SeedImage();
    const struct {
        ImageSettings settings;
        const char* refusal;
    } cases[] = {
        {{"admin", "", "", ""}, "give asInvoker, highestAvailable or requireAdministrator"},
        {{"", "", "beta 2", ""}, "does not start with up to four numbers"},
        {{"", "", "70000.1", ""}, "does not start with up to four numbers"},
        {{"", "A name of twenty-five chr", "", ""}, "--product-name is 25 UTF-16 characters long; the launcher has room for 24"},
        {{"", "bad \xC3", "", ""}, "--product-name is not UTF-8 text"},
        {{"", "", "", "\xED\xA0\x80"}, "--description is not UTF-8 text"},  // a lone surrogate
    };
    for (const auto& c : cases) {
        std::string message = "no refusal";
        try {
            CheckSettings(c.settings);
            Edited(image, c.settings);
        } catch (const PackError& error) {
            message = error.what();
        }
        EXPECT_NE(message.find(c.refusal), std::string::npos) << message;
    }
    // A launcher without resources.
    tarnwick::MemoryFiles files;
    files.Add("bare.exe", tarnwick::test::PeImage());
    try {
        LauncherEdits(files, "bare.exe", {"asInvoker", "", "", ""});
        ADD_FAILURE() << "no refusal for a launcher without a manifest";
    } catch (const PackError& error) {
        EXPECT_NE(std::string(error.what()).find("has no application manifest"), std::string::npos) << error.what();
    }
}

}  // namespace
}  // namespace tarnpack
