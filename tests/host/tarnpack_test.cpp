// The packer's class-file walk over good, cut and mutated class files, and
// the shipped package layout read back with the launcher's reader. Archives
// byte for byte and every refusal are checked through the command line
// (cases/tarnpack_cli.txt); compressed sections by a real JVM unpacking them
// (tools/java/tests/installer_run_test.sh).
#include <gtest/gtest.h>

#include <random>

#include "base/texts.h"
#include "class_file.h"
#include "host_files.h"
#include "pack_error.h"
#include "package/criteria_record.h"
#include "package/installation_package.h"
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
    EXPECT_EQ(ParseClassFile(rich, kName, "Rich.class").constantPoolCount, 28);
    for (const Data& original : {t::MinimalClass("Main"), rich}) {
        const ClassLayout before = ParseClassFile(original, kName, "c");
        const Data packed = WithAttribute(original, {1, 2, 3});
        const ClassLayout after = ParseClassFile(packed, kName, "c");
        EXPECT_EQ(after.constantPoolCount, before.constantPoolCount + 1);
        EXPECT_EQ(after.attributesCount, before.attributesCount + 1);
        EXPECT_TRUE(after.hasNamedAttribute);
        EXPECT_EQ(packed.size(), original.size() + 3 + sizeof kName - 1 + 2 + 4 + 3);
    }
    for (size_t size = 0; size < rich.size(); ++size)
        EXPECT_THROW(ParseClassFile(Data(rich.begin(), rich.begin() + std::ptrdiff_t(size)), kName, "c"), PackError)
            << size;
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

// The setup executable as the launcher was first shipped: its image size,
// section sizes and table bytes are fixed.
TEST(TarnpackPackageTest, BuildsTheShippedLayoutByteForByte) {
    const std::string criteria =
        "vendor=sun:type=jre:version=1.2;vendor=sun:type=jre:version=1.1;vendor=sun:type=jdk:version=1.2;"
        "vendor=sun:type=jdk:version=1.1;vendor=ibm:version=1.2;vendor=ibm:version=1.1;vendor=ibm:version=1.2;"
        "vendor=microsoft:type=jview:version=1.1";
    t::ScratchFolder folder;
    const Data launcher = t::PeImage(0x1000, {0x29000, 0x5000, 0x2000, 0x41000});
    Data archive = t::Pattern(3585985, 1), verify = t::Pattern(1709, 2);
    for (Data* d : {&archive, &verify}) std::copy_n("\xCA\xFE\xBA\xBE", 4, d->begin());
    ASSERT_EQ(launcher.size(), 466944u);
    HostFiles files;
    const std::string output = folder.Path("setup.exe");
    const PackageSummary summary = WritePackage(files, {folder.Write("launcher.exe", launcher),
        folder.Write("Install.class", archive), folder.Write("Verify.class", verify), criteria}, output);
    EXPECT_EQ(summary.start, 466944u);
    const Data written = t::ReadFile(output);
    ASSERT_EQ(written.size(), summary.fileSize);
    ASSERT_EQ(written.size(), 466944u + 43 + (2 + 13 + 3585985) + (2 + 12 + 1709) + (2 + 18 + 238));
    EXPECT_TRUE(std::equal(launcher.begin(), launcher.end(), written.begin()));
    EXPECT_EQ(Data(written.begin() + 466944, written.begin() + 466944 + 43),
              t::Build("u32:3 u8:1 u32:0x36B7D0 u64:0x2B u8:2 u32:0x6BB u64:0x36B7FB u8:3 u32:0x102 u64:0x36BEB6"));

    // Read back the way the launcher reads it.
    const tarnwick::EnglishTexts texts;
    t::MemoryLog log;
    tarnwick::InstallationPackage package(files, texts);
    ASSERT_TRUE(package.ReadSectionTable(output, log));
    EXPECT_EQ(package.start(), 466944u);
    const Data wanted[] = {archive, verify, t::Build("c:" + criteria)};
    for (uint8_t id = 1; id <= 3; ++id) {
        Data data(size_t(package.Section(id).size));
        ASSERT_TRUE(package.Section(id).ReadData(files, data.data())) << int(id);
        EXPECT_EQ(data, wanted[id - 1]) << int(id);
    }
    EXPECT_EQ(package.Section(3).name, "vm search criteria");
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
