// The packer's class-file walk over good, cut and mutated class files, and
// the limits of its tables. Packages and archives byte for byte and every
// refusal are checked through the command line (cases/tarnpack_cli.txt);
// compressed sections by a real JVM (tools/java/tests/installer_run_test.sh).
#include <gtest/gtest.h>
#include <random>
#include "class_file.h"
#include "pack_error.h"
#include "package/criteria_record.h"
#include "package_writer.h"
#include "tests/host/test_bytes.h"

namespace tarnpack {
namespace {

namespace t = tarnwick::test;
using t::Data;

constexpr char kName[] = "TarnwickResources";

// What the archive writer does: the class with a trailing attribute.
Data WithAttribute(const Data& bytes, const Data& payload) {
    Data out = StartTrailingAttribute(bytes, ParseClassFile(bytes, kName, "c"), kName, "c");
    for (const Data& part : {t::Build("u32:" + std::to_string(payload.size())), payload})
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

TEST(TarnpackClassFileTest, EveryKindOfConstantAndMemberIsWalkedAndEveryCutRefused) {
    const Data rich = t::RichClass();
    const Data minimal = t::Build("x:CAFEBABE u32:52 u16:5 u8:7 u16:2 u8:1 c:Main u8:7 u16:4 u8:1 c:java/lang/Object "
                                  "u16:0x21 u16:1 u16:3 fill:8:0");  // Main extends Object, no members
    for (const Data& original : {minimal, rich}) {
        const ClassLayout before = ParseClassFile(original, kName, "c");
        EXPECT_EQ(before.constantPoolCount, original == rich ? 28 : 5);
        const Data packed = WithAttribute(original, {1, 2, 3});
        const ClassLayout after = ParseClassFile(packed, kName, "c");
        EXPECT_EQ(after.constantPoolCount, before.constantPoolCount + 1);
        EXPECT_EQ(after.attributesCount, before.attributesCount + 1);
        EXPECT_TRUE(after.hasNamedAttribute);
        EXPECT_EQ(packed.size(), original.size() + 3 + sizeof kName - 1 + 2 + 4 + 3);
    }
    for (size_t size = 0; size < rich.size(); ++size)
        EXPECT_THROW(ParseClassFile(Data(rich.begin(), rich.begin() + long(size)), kName, "c"), PackError) << size;
    // A full pool leaves no room for the attribute's name.
    std::string integers;
    for (int i = 1; i < 0xFFFF; ++i) integers += "0300000000";
    const Data full = t::Build("x:CAFEBABE u32:52 u16:0xFFFF x:" + integers + " fill:14:0");
    const ClassLayout layout = ParseClassFile(full, kName, "Full.class");
    EXPECT_THROW(StartTrailingAttribute(full, layout, kName, "Full.class"), PackError);
}

// Mutated class files are refused or taken, never crash or read out of
// bounds (the sanitizers watch); what is taken stays well-formed.
TEST(TarnpackClassFileTest, MutatedClassesAreRefusedOrHandledSafely) {
    const Data rich = t::RichClass();
    std::mt19937 random(20260512);
    int accepted = 0;
    for (int round = 0; round < 20000; ++round) {
        Data bytes = rich;
        for (int i = 0, changes = 1 + int(random() % 4); i < changes; ++i)
            bytes[random() % bytes.size()] = uint8_t(random());
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

TEST(TarnpackPackageTest, TablesAndCriteriaRecordsHaveTheirLimits) {
    EXPECT_EQ(SectionTable({}), Data({0, 0, 0, 0}));
    EXPECT_EQ(SectionTable({{7, "ab", 0}, {9, "", 5}}), t::Build("u32:2 u8:7 u32:4 u64:30 u8:9 u32:7 u64:34"));
    EXPECT_THROW(SectionTable({{1, "big", 0xFFFFFFFFull}}), PackError);
    EXPECT_EQ(CriteriaRecord("ab"), Data({0, 2, 'a', 'b'}));
    EXPECT_EQ(tarnwick::CriteriaFromRecord(CriteriaRecord(std::string(65535, 'x'))), std::string(65535, 'x'));
    EXPECT_THROW(CriteriaRecord(std::string(65536, 'x')), PackError);
}

}  // namespace
}  // namespace tarnpack
