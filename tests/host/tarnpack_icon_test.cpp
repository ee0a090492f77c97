// tarnpack --icon over a small PE that the MinGW tools made with icon 128,
// a manifest, a version resource and a string table, its relocations behind
// the resource section (the fuzz seed): the icon is the new one, the rest
// keeps its bytes, and the image stays whole.
#include <gtest/gtest.h>

#include "base/byte_order.h"
#include "package/pe_image.h"
#include "pack_error.h"
#include "pe_resources.h"
#include "resource_section.h"
#include "tests/host/test_bytes.h"

namespace tarnpack {
namespace {

using tarnwick::LittleEndian32;
using tarnwick::test::Data;

Data Seed(const char* name) { return tarnwick::test::ReadFile(std::string(TARNPACK_ICON_SEEDS "/") + name); }

Data Resource(const Data& image, uint16_t type, uint16_t id) {
    tarnwick::MemorySource source(image.data(), image.size());
    const std::optional<FileSpan> span = FindResource(source, type, id);
    return span ? Data(image.begin() + long(span->offset), image.begin() + long(span->offset + span->size)) : Data{};
}

// The bytes that the base relocation directory points to.
Data Relocations(const Data& image) {
    const size_t optional = LittleEndian32(&image[0x3C]) + 24, directory = optional + 96 + 5 * 8;
    const uint32_t rva = LittleEndian32(&image[directory]), size = LittleEndian32(&image[directory + 4]);
    const size_t sections = optional + (image[optional - 4] | image[optional - 3] << 8);
    for (size_t at = sections; at + 40 <= image.size(); at += 40) {
        const uint32_t address = LittleEndian32(&image[at + 12]), pointer = LittleEndian32(&image[at + 20]);
        if (rva >= address && rva < address + LittleEndian32(&image[at + 16])) {
            return Data(image.begin() + long(pointer + rva - address), image.begin() + long(pointer + rva - address + size));
        }
    }
    return {};
}

TEST(TarnpackIconTest, TheGroupAndImagesAreNewAndTheRestKeepsItsBytes) {
    const Data image = Seed("launcher_pe"), ico = Seed("brand.ico");
    ASSERT_GT(image.size(), 1000u);
    const std::vector<IconImage> icon = ParseIcon(ico, "brand.ico");
    ASSERT_EQ(icon.size(), 2u);
    const Data out = ReplaceIcon(image, icon, "seed.exe");
    tarnwick::MemorySource source(out.data(), out.size());
    EXPECT_EQ(tarnwick::ImageSize(source), out.size()) << "nothing may lie behind the last section";
    // The group repeats each image's entry with its resource id.
    Data group = {0, 0, 1, 0, 2, 0};
    for (uint16_t id = 1; id <= 2; ++id) {
        group.insert(group.end(), icon[id - 1].entry.begin(), icon[id - 1].entry.end());
        group.insert(group.end(), {uint8_t(id), 0});
        EXPECT_EQ(Resource(out, 3, id), icon[id - 1].data) << "image " << id;
    }
    EXPECT_EQ(Resource(out, 14, kIconGroupId), group);
    for (const uint16_t type : {6, 16, 24}) {  // texts, version, manifest
        EXPECT_FALSE(Resource(image, type, 1).empty()) << type;
        EXPECT_EQ(Resource(out, type, 1), Resource(image, type, 1)) << "resource type " << type;
    }
    EXPECT_FALSE(Relocations(image).empty());
    EXPECT_EQ(Relocations(out), Relocations(image));
    EXPECT_EQ(ReplaceIcon(out, icon, "seed.exe"), out) << "a second rewrite changes nothing";
}

TEST(TarnpackIconTest, WhatCannotBeRewrittenIsRefused) {
    const Data image = Seed("launcher_pe");
    Data tail = image, noGroup = image;
    tail.insert(tail.end(), 5, 0xEE);
    const std::vector<IconImage> icon = ParseIcon(Seed("brand.ico"), "brand.ico");
    // The group's entry in the seed's directory (id 128, its languages at
    // 0xB0) gets id 129.
    const Data entry = {0x80, 0, 0, 0, 0xB0, 0, 0, 0x80};
    std::search(noGroup.begin(), noGroup.end(), entry.begin(), entry.end())[0] = 0x81;
    // The version's type entry, behind the icon groups' one, becomes a second
    // entry of type 14: Windows would see one of them, a rewrite keep one.
    Data twice = image;
    for (size_t at = 0; at + 16 <= twice.size(); ++at) {
        const auto type = [&](size_t e, uint8_t id) {
            return twice[e] == id && !twice[e + 1] && !twice[e + 2] && !twice[e + 3] && twice[e + 7] == 0x80;
        };
        if (type(at, 14) && type(at + 8, 16)) {
            twice[at + 8] = 14;
            break;
        }
    }
    ASSERT_NE(twice, image);
    const struct {
        const Data& bytes;
        const char* refusal;
    } cases[] = {{tail, "has 5 bytes behind its PE image"},
                 {noGroup, "has no icon group 128"},
                 {twice, "has a damaged PE header or resource directory"},
                 {tarnwick::test::PeImage(), "is no PE image"}};
    for (const auto& c : cases) {
        std::string message = "no refusal";
        try {
            ReplaceIcon(c.bytes, icon, "seed.exe");
        } catch (const PackError& error) {
            message = error.what();
        }
        EXPECT_NE(message.find(c.refusal), std::string::npos) << message;
    }
}

}  // namespace
}  // namespace tarnpack
