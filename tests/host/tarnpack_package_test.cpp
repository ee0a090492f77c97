#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/texts.h"
#include "host_files.h"
#include "pack_error.h"
#include "package/criteria_record.h"
#include "package/installation_package.h"
#include "package_writer.h"
#include "tests/host/tarnpack_test_support.h"

namespace tarnpack {
namespace {

using test::ReadFile;
using test::ScratchFolder;

const char kCriteria[] =
    "vendor=sun:type=jre:version=1.2;vendor=sun:type=jre:version=1.1;vendor=sun:type=jdk:version=1.2;"
    "vendor=sun:type=jdk:version=1.1;vendor=ibm:version=1.2;vendor=ibm:version=1.1;vendor=ibm:version=1.2;"
    "vendor=microsoft:type=jview:version=1.1";

// The setup executable as the launcher was first shipped: its image size,
// section sizes and table bytes are fixed.
TEST(TarnpackPackageTest, BuildsTheShippedLayoutByteForByte) {
    ScratchFolder folder;
    const std::vector<uint8_t> launcher = test::LauncherImage(0x1000, {0x29000, 0x5000, 0x2000, 0x41000});
    ASSERT_EQ(launcher.size(), 466944u);
    const std::vector<uint8_t> archive = test::ClassLike(3585985, 1);
    const std::vector<uint8_t> verify = test::ClassLike(1709, 2);
    ASSERT_EQ(std::string(kCriteria).size(), 236u);

    PackageInputs inputs{folder.Write("launcher.exe", launcher), folder.Write("Install.class", archive),
                         folder.Write("Verify.class", verify), kCriteria};
    HostFiles files;
    const std::string output = folder.Path("setup.exe");
    const PackageSummary summary = WritePackage(files, inputs, output);
    EXPECT_EQ(summary.start, 466944u);

    const std::vector<uint8_t> written = ReadFile(output);
    ASSERT_EQ(written.size(), summary.fileSize);
    ASSERT_EQ(written.size(), 466944u + 43 + (2 + 13 + 3585985) + (2 + 12 + 1709) + (2 + 18 + 238));
    EXPECT_TRUE(std::equal(launcher.begin(), launcher.end(), written.begin()));
    const std::vector<uint8_t> table(written.begin() + 466944, written.begin() + 466944 + 43);
    const std::vector<uint8_t> expected = {
        0x00, 0x00, 0x00, 0x03,                                                        //
        0x01, 0x00, 0x36, 0xB7, 0xD0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x2B,  //
        0x02, 0x00, 0x00, 0x06, 0xBB, 0x00, 0x00, 0x00, 0x00, 0x00, 0x36, 0xB7, 0xFB,  //
        0x03, 0x00, 0x00, 0x01, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x36, 0xBE, 0xB6};
    EXPECT_EQ(table, expected);

    // Read back the way the launcher reads it.
    const tarnwick::EnglishTexts texts;
    test::NoLog log;
    tarnwick::InstallationPackage package(files, texts);
    ASSERT_TRUE(package.ReadSectionTable(output, log));
    EXPECT_EQ(package.start(), 466944u);
    EXPECT_EQ(package.sectionCount(), 3);
    ASSERT_EQ(package.sections().size(), 3u);
    const struct {
        uint8_t id;
        const char* name;
        uint32_t size;
        uint64_t dataOffset;
    } sections[] = {{1, "Install.class", 3585985, 466944 + 43 + 15},
                    {2, "Verify.class", 1709, 466944 + 43 + 3586000 + 14},
                    {3, "vm search criteria", 238, 466944 + 43 + 3586000 + 1723 + 20}};
    for (const auto& want : sections) {
        const tarnwick::PackageSection& section = package.Section(want.id);
        EXPECT_EQ(section.name, want.name);
        EXPECT_EQ(section.size, want.size);
        EXPECT_EQ(section.dataOffset, want.dataOffset);
        EXPECT_TRUE(section.LiesInFile());
    }
    std::vector<uint8_t> data(3585985);
    ASSERT_TRUE(package.Section(1).ReadData(files, data.data()));
    EXPECT_EQ(data, archive);
    data.resize(1709);
    ASSERT_TRUE(package.Section(2).ReadData(files, data.data()));
    EXPECT_EQ(data, verify);
    data.resize(238);
    ASSERT_TRUE(package.Section(3).ReadData(files, data.data()));
    EXPECT_EQ(data[0], 0x00);
    EXPECT_EQ(data[1], 236);
    EXPECT_EQ(tarnwick::CriteriaFromRecord(data), kCriteria);
}

TEST(TarnpackPackageTest, TableOffsetsFollowTheSectionsBackToBack) {
    EXPECT_EQ(SectionTable({}), std::vector<uint8_t>({0, 0, 0, 0}));
    const std::vector<uint8_t> table = SectionTable({{7, "ab", 0}, {9, "", 5}});
    const std::vector<uint8_t> expected = {0, 0, 0, 2,                              //
                                           7, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0, 30,  //
                                           9, 0, 0, 0, 7, 0, 0, 0, 0, 0, 0, 0, 34};
    EXPECT_EQ(table, expected);
    EXPECT_THROW(SectionTable({{1, "big", 0xFFFFFFFFull}}), PackError);
}

TEST(TarnpackPackageTest, CriteriaRecordsHoldAtMost65535Bytes) {
    EXPECT_EQ(CriteriaRecord(""), std::vector<uint8_t>({0, 0}));
    EXPECT_EQ(CriteriaRecord("ab"), std::vector<uint8_t>({0, 2, 'a', 'b'}));
    const std::vector<uint8_t> longest = CriteriaRecord(std::string(65535, 'x'));
    EXPECT_EQ(longest.size(), 65537u);
    EXPECT_EQ(tarnwick::CriteriaFromRecord(longest), std::string(65535, 'x'));
    EXPECT_THROW(CriteriaRecord(std::string(65536, 'x')), PackError);
}

}  // namespace
}  // namespace tarnpack
