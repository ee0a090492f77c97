#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "class_file.h"
#include "pack_error.h"
#include "tests/host/tarnpack_test_support.h"

namespace tarnpack {
namespace {

constexpr char kName[] = "TarnwickResources";

// What the archive writer does: the class with a trailing attribute.
std::vector<uint8_t> WithAttribute(const std::vector<uint8_t>& bytes, const std::vector<uint8_t>& payload) {
    std::vector<uint8_t> out = StartTrailingAttribute(bytes, ParseClassFile(bytes, kName, "c"), kName, "c");
    test::Put32(out, static_cast<uint32_t>(payload.size()));
    out.insert(out.end(), payload.begin(), payload.end());
    return out;
}

std::string Refusal(const std::vector<uint8_t>& bytes) {
    try {
        ParseClassFile(bytes, kName, "Main.class");
    } catch (const PackError& error) {
        return error.what();
    }
    return "accepted";
}

TEST(TarnpackClassFileTest, WalksEveryKindOfConstantAndMember) {
    const std::vector<uint8_t> rich = test::RichClass();
    const ClassLayout layout = ParseClassFile(rich, kName, "Rich.class");
    EXPECT_EQ(layout.constantPoolCount, 28);
    EXPECT_EQ(layout.attributesCount, 1);
    EXPECT_EQ(layout.attributesCountOffset, rich.size() - 10);
    EXPECT_FALSE(layout.hasNamedAttribute);

    const std::vector<uint8_t> minimal = test::MinimalClass("Main");
    const ClassLayout small = ParseClassFile(minimal, kName, "Main.class");
    EXPECT_EQ(small.constantPoolCount, 5);
    EXPECT_EQ(small.constantPoolEnd, minimal.size() - 14);
    EXPECT_EQ(small.attributesCount, 0);
}

TEST(TarnpackClassFileTest, TheAppendedAttributeKeepsTheClassWellFormed) {
    for (const std::vector<uint8_t>& original : {test::MinimalClass("Main"), test::RichClass()}) {
        const ClassLayout before = ParseClassFile(original, kName, "c");
        const std::vector<uint8_t> packed = WithAttribute(original, {1, 2, 3});
        const ClassLayout after = ParseClassFile(packed, kName, "c");
        EXPECT_EQ(after.constantPoolCount, before.constantPoolCount + 1);
        EXPECT_EQ(after.attributesCount, before.attributesCount + 1);
        EXPECT_TRUE(after.hasNamedAttribute);
        EXPECT_EQ(packed.size(), original.size() + 3 + sizeof kName - 1 + 2 + 4 + 3);
        EXPECT_EQ(std::vector<uint8_t>(packed.end() - 3, packed.end()), std::vector<uint8_t>({1, 2, 3}));
    }
}

TEST(TarnpackClassFileTest, RefusesWhatAJvmWouldNotLoad) {
    const std::vector<uint8_t> good = test::MinimalClass("Main");
    std::vector<uint8_t> notClass = good;
    notClass[0] = 0xCB;
    std::vector<uint8_t> trailing = good;
    trailing.push_back(0);
    std::vector<uint8_t> unknownTag = good;
    unknownTag[10] = 2;  // the first constant's tag
    std::vector<uint8_t> emptyPool = {0xCA, 0xFE, 0xBA, 0xBE, 0, 0, 0, 52, 0, 0};
    std::vector<uint8_t> longAtTheEnd = {0xCA, 0xFE, 0xBA, 0xBE, 0, 0, 0, 52, 0, 2,
                                         5,    0,    0,    0,    0, 0, 0, 0,  1};
    longAtTheEnd.resize(longAtTheEnd.size() + 14, 0);
    std::vector<uint8_t> overlongAttribute = good;
    overlongAttribute.back() = 1;  // one class attribute that is not there

    EXPECT_EQ(Refusal(good), "accepted");
    EXPECT_EQ(Refusal(notClass),
              "Main.class is no well-formed class file: it does not start with CA FE BA BE");
    EXPECT_EQ(Refusal(trailing),
              "Main.class is no well-formed class file: 1 bytes follow its last attribute");
    EXPECT_EQ(Refusal(unknownTag),
              "Main.class is no well-formed class file: constant 1 has the unknown tag 2");
    EXPECT_EQ(Refusal(emptyPool), "Main.class is no well-formed class file: its constant pool count is 0");
    EXPECT_EQ(Refusal(longAtTheEnd),
              "Main.class is no well-formed class file: a long or double constant takes the last pool slot");
    EXPECT_EQ(Refusal(overlongAttribute),
              "Main.class is no well-formed class file: it ends inside the class attributes");
}

TEST(TarnpackClassFileTest, EveryTruncationIsRefused) {
    const std::vector<uint8_t> rich = test::RichClass();
    for (size_t size = 0; size < rich.size(); ++size) {
        const std::vector<uint8_t> cut(rich.begin(), rich.begin() + static_cast<std::ptrdiff_t>(size));
        EXPECT_NE(Refusal(cut), "accepted") << size;
    }
}

// Mutated class files must be refused or accepted, never crash or read out
// of bounds (the sanitizers watch), and what is accepted must take the
// attribute and stay well-formed.
TEST(TarnpackClassFileTest, MutatedClassesAreRefusedOrHandledSafely) {
    const std::vector<uint8_t> rich = test::RichClass();
    std::mt19937 random(20260512);
    int accepted = 0;
    for (int round = 0; round < 20000; ++round) {
        std::vector<uint8_t> bytes = rich;
        const int changes = 1 + static_cast<int>(random() % 4);
        for (int i = 0; i < changes; ++i) {
            bytes[random() % bytes.size()] = static_cast<uint8_t>(random());
        }
        if (random() % 4 == 0) bytes.resize(random() % bytes.size());
        try {
            const ClassLayout layout = ParseClassFile(bytes, kName, "c");
            ++accepted;
            if (layout.constantPoolCount == 0xFFFF || layout.attributesCount == 0xFFFF) continue;
            EXPECT_NO_THROW(ParseClassFile(WithAttribute(bytes, {7}), kName, "c"));
        } catch (const PackError&) {
        }
    }
    EXPECT_GT(accepted, 0);
}

TEST(TarnpackClassFileTest, RefusesAFullConstantPool) {
    std::vector<uint8_t> full = {0xCA, 0xFE, 0xBA, 0xBE, 0, 0, 0, 52, 0xFF, 0xFF};
    for (int i = 1; i < 0xFFFF; ++i) full.insert(full.end(), {3, 0, 0, 0, 0});
    full.resize(full.size() + 14, 0);
    const ClassLayout layout = ParseClassFile(full, kName, "Full.class");
    EXPECT_EQ(layout.constantPoolCount, 0xFFFF);
    EXPECT_THROW(StartTrailingAttribute(full, layout, kName, "Full.class"), PackError);
}

}  // namespace
}  // namespace tarnpack
