#include "package/installation_package.h"

#include <gtest/gtest.h>

#include "package/criteria_record.h"
#include "package/pe_image.h"
#include "tests/host/test_bytes.h"

namespace tarnwick {
namespace {

using test::Bytes;
using test::MemoryLog;

constexpr char kPath[] = "C:\\t\\setup.exe";

struct Section {
    uint8_t id;
    std::string name;
    std::string data;
};

// The image, then the table and the sections in order, as the packer lays
// them out.
Bytes Package(const std::vector<Section>& sections) {
    Bytes file = test::MinimalPeImage();
    const uint32_t tableSize = 4 + 13 * uint32_t(sections.size());
    file.u32(uint32_t(sections.size()));
    uint64_t offset = tableSize;
    for (const Section& s : sections) {
        const uint32_t size = uint32_t(2 + s.name.size() + s.data.size());
        file.u8(s.id).u32(size).u64(offset);
        offset += size;
    }
    for (const Section& s : sections) file.counted(s.name).text(s.data);
    return file;
}

struct ReadResult {
    bool ok;
    std::string log;
};

ReadResult ReadTable(const Bytes& file, InstallationPackage* package, MemoryFiles* files,
                     const std::string& path = kPath, bool tracing = false) {
    files->Add(kPath, file.get());
    MemoryLog log;
    log.SetTracing(tracing);
    const bool ok = package->ReadSectionTable(path, log);
    return {ok, log.text};
}

TEST(ImageSizeTest, SumsTheRawSectionsOrGivesZero) {
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        uint32_t want;
    };
    Bytes noMz = test::MinimalPeImage();
    std::vector<uint8_t> badMz = noMz.get();
    badMz[0] = 'Z';
    std::vector<uint8_t> badPe = noMz.get();
    badPe[0x41] = 'X';
    std::vector<uint8_t> farPe = noMz.get();
    farPe[0x3C] = 0xFF;
    farPe[0x3D] = 0xFF;
    const std::vector<uint8_t> full = test::MinimalPeImage({0x200, 0x1000, 0x600}).get();
    const std::vector<uint8_t> truncated(full.begin(), full.begin() + 0x40 + 24 + 0xE0 + 40 * 2 + 10);
    const Case cases[] = {
        {"one section", noMz.get(), 0x600},
        {"three sections", full, 0x400 + 0x200 + 0x1000 + 0x600},
        {"no MZ", badMz, 0},
        {"no PE signature", badPe, 0},
        {"PE header past the end", farPe, 0},
        {"section headers cut short", truncated, 0},
        {"DOS header cut short", {'M', 'Z', 0, 0}, 0},
        {"empty", {}, 0},
    };
    for (const Case& c : cases) {
        MemorySource source(c.bytes);
        EXPECT_EQ(ImageSize(source), c.want) << c.what;
    }
}

TEST(InstallationPackageTest, ReadsTheTableAndTheSections) {
    const Bytes file = Package({{1, "Install.class", "\xCA\xFE\xBA\xBE-archive"},
                                {2, "Verify.class", "\xCA\xFE\xBA\xBE"},
                                {3, "vm search criteria", std::string("\0\x0avendor=sun", 12)}});
    MemoryFiles files;
    EnglishTexts texts;
    InstallationPackage package(files, texts);
    const ReadResult read = ReadTable(file, &package, &files);
    ASSERT_TRUE(read.ok) << read.log;
    EXPECT_EQ(read.log, "");  // nothing but failures without logall
    EXPECT_EQ(package.start(), 0x600u);
    EXPECT_EQ(package.sectionCount(), 3);

    const PackageSection& archive = package.Section(1);
    EXPECT_EQ(archive.name, "Install.class");
    EXPECT_EQ(archive.size, 12u);
    EXPECT_EQ(archive.dataOffset, 0x600u + 43 + 2 + 13);
    std::vector<uint8_t> data(archive.size);
    ASSERT_TRUE(archive.ReadData(files, data.data()));
    EXPECT_EQ(std::string(data.begin(), data.end()), "\xCA\xFE\xBA\xBE-archive");

    const PackageSection& criteria = package.Section(3);
    std::vector<uint8_t> record(criteria.size);
    ASSERT_TRUE(criteria.ReadData(files, record.data()));
    EXPECT_EQ(CriteriaFromRecord(record), "vendor=sun");

    // An absent id comes back as an empty section that cannot be read.
    const PackageSection& absent = package.Section(9);
    EXPECT_EQ(absent.size, 0u);
    EXPECT_TRUE(absent.path.empty());
    EXPECT_FALSE(absent.ReadData(files, data.data()));
}

TEST(InstallationPackageTest, LogsTheWholeTableWithLogAll) {
    const Bytes file = Package({{1, "A.class", "xyz"}, {2, "Verify.class", ""}});
    MemoryFiles files;
    EnglishTexts texts;
    InstallationPackage package(files, texts);
    const ReadResult read = ReadTable(file, &package, &files, kPath, /*tracing=*/true);
    ASSERT_TRUE(read.ok);
    const uint32_t size = uint32_t(file.size());
    EXPECT_EQ(read.log,
              "\r\nReading installation executable  C:\\t\\setup.exe \r\n"
              "\tExe Size (1536), Total File Size (" + std::to_string(size) + ") ..\r\n"
              "\tReading 2 Section Info...\r\n"
              "\tSection Info: Name(A.class), Size(3), File Offset(1575)\r\n"
              "\tSection Info: Name(Verify.class), Size(0), File Offset(1592)\r\n");
}

TEST(InstallationPackageTest, EveryFailureRowLogsExactly) {
    const std::string corrupted =
        "Installation executable  C:\\t\\setup.exe is either Corrupted or does not have all "
        "the Cmponents in it.\r\n";
    Bytes good = Package({{1, "A.class", "data"}});
    Bytes image = test::MinimalPeImage();
    Bytes shortCount = test::MinimalPeImage();
    shortCount.u16(0);
    Bytes shortEntry = test::MinimalPeImage();
    shortEntry.u32(2).u8(1).u32(9).u64(30).u8(2);
    Bytes tooSmall = test::MinimalPeImage();  // size below the name header
    tooSmall.u32(1).u8(1).u32(4).u64(17).counted("A.class");
    Bytes negative = test::MinimalPeImage();  // size of 2^31 or more
    negative.u32(1).u8(1).u32(0x80000000u).u64(17).counted("A.class");
    Bytes nameOutside = test::MinimalPeImage();
    nameOutside.u32(1).u8(1).u32(9).u64(5000);

    struct Case {
        const char* what;
        Bytes file;
        std::string path;
        std::string log;
    };
    const Case cases[] = {
        {"no path", good, "", "\r\nNeed path to setup.exe \r\n"},
        {"file cannot be opened", good, "C:\\t\\missing.exe", "\r\nCould not open file  C:\\t\\missing.exe \r\n"},
        {"nothing behind the image", image, kPath, corrupted},
        {"no PE image", Bytes().text("not an executable at all"), kPath, corrupted},
        {"count cut short", shortCount, kPath, ""},
        {"entry cut short", shortEntry, kPath, ""},
        {"size below the name header", tooSmall, kPath, ""},
        {"size of 2^31 or more", negative, kPath, ""},
        {"name outside the file", nameOutside, kPath, ""},
    };
    for (const Case& c : cases) {
        MemoryFiles files;
        EnglishTexts texts;
        InstallationPackage package(files, texts);
        const ReadResult read = ReadTable(c.file, &package, &files, c.path);
        EXPECT_FALSE(read.ok) << c.what;
        EXPECT_EQ(read.log, c.log) << c.what;
    }
}

TEST(InstallationPackageTest, EdgeTables) {
    MemoryFiles files;
    EnglishTexts texts;
    {
        InstallationPackage package(files, texts);
        Bytes empty = test::MinimalPeImage();
        empty.u32(0);
        EXPECT_TRUE(ReadTable(empty, &package, &files).ok) << "a table of no entries reads";
        EXPECT_TRUE(package.sections().empty());
    }
    {
        InstallationPackage package(files, texts);
        const ReadResult read =
            ReadTable(Package({{1, "first", "1"}, {1, "second", "22"}, {2, "empty", ""}}), &package, &files);
        ASSERT_TRUE(read.ok);
        EXPECT_EQ(package.Section(1).name, "second") << "the later entry of an id wins";
        EXPECT_EQ(package.Section(2).size, 0u);
        uint8_t none = 0;
        EXPECT_TRUE(package.Section(2).ReadData(files, &none)) << "empty data reads";
    }
    {
        // A count far beyond the file: read until an entry fails.
        InstallationPackage package(files, texts);
        Bytes many = Package({{1, "A.class", "x"}});
        std::vector<uint8_t> bytes = many.get();
        bytes[0x600] = 0x7F;
        Bytes patched;
        patched.append(bytes);
        EXPECT_FALSE(ReadTable(patched, &package, &files).ok);
    }
}

// Package sections and archive resources are both regions of a file.
TEST(FileRegionTest, ForgedSizesAreNeverRead) {
    MemoryFiles files;
    files.Add(kPath, std::vector<uint8_t>(100, 7));
    FileRegion region;
    region.path = kPath;
    region.fileSize = 100;
    const struct {
        uint32_t size;
        uint64_t dataOffset;
        bool inside;
    } cases[] = {{10, 90, true}, {11, 90, false}, {0, 100, true}, {1, 100, false},
                 {0x7FFFFFFF, 0, false}, {0xFFFFFFFFu, 0, false}, {1, ~uint64_t{0}, false}};
    for (const auto& c : cases) {
        region.size = c.size;
        region.dataOffset = c.dataOffset;
        EXPECT_EQ(region.LiesInFile(), c.inside) << c.size << " at " << c.dataOffset;
        // Outside the file nothing is read, whatever the buffer.
        std::vector<uint8_t> buffer(c.inside ? c.size : 1);
        EXPECT_EQ(region.ReadData(files, buffer.data()), c.inside) << c.size << " at " << c.dataOffset;
    }
}

TEST(CriteriaFromRecordTest, TakesTheCountedText) {
    const struct {
        std::string record;
        std::string want;
    } cases[] = {
        {std::string("\0\x03" "abc", 5), "abc"},
        {std::string("\0\x09" "abc", 5), "abc"},  // the length claims more than there is
        {std::string("\0\x05" "ab\0cd", 7), "ab"},
        {std::string("\0\x02" "abc", 5), "ab"},
        {std::string("\0", 1), ""},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CriteriaFromRecord(std::vector<uint8_t>(c.record.begin(), c.record.end())), c.want);
    }
}

}  // namespace
}  // namespace tarnwick
