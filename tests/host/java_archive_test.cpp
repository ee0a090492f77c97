#include "package/java_archive.h"

#include <gtest/gtest.h>

#include "tests/host/test_bytes.h"

namespace tarnwick {
namespace {

using test::Bytes;
using test::MemoryLog;

constexpr char kPath[] = "C:\\t\\Install.class";

struct Resource {
    uint32_t extra;
    std::string extraBytes;
    std::string name;
    std::string data;
};

struct Section {
    std::string name;
    uint8_t compressed;
    std::vector<Resource> resources;
    uint32_t countOverride = 0;  // a compressed section's count as stored
};

// A class-file prefix, the sections, the offset table and the trailer.
Bytes Archive(const std::vector<Section>& sections) {
    Bytes file;
    file.text("\xCA\xFE\xBA\xBE").fill(12, 0x11);
    std::vector<uint64_t> headers;
    for (const Section& s : sections) {
        Bytes data;
        for (const Resource& r : s.resources) {
            data.u32(r.extra).text(r.extraBytes).counted(r.name).u32(uint32_t(r.data.size())).text(r.data);
        }
        headers.push_back(file.size());
        const uint32_t count = s.compressed ? s.countOverride : uint32_t(s.resources.size());
        file.counted(s.name).u32(count).u64(data.size()).u8(s.compressed).append(data.get());
    }
    const uint64_t table = file.size();
    file.u16(uint16_t(sections.size()));
    for (size_t i = 0; i < sections.size(); ++i) file.counted(sections[i].name).u64(headers[i]);
    file.u64(table);
    return file;
}

class JavaArchiveTest : public testing::Test {
  protected:
    MemoryFiles files;
    EnglishTexts texts;
    MemoryLog log;
    JavaArchive archive{files, texts, log};
};

TEST_F(JavaArchiveTest, ListsUncompressedResourcesAndTheirFlags) {
    const Bytes file = Archive({
        {"Images", 0,
         {{0, "", "a.png", "AAAA"}, {1, "\x01", "jvm.exe", "MZ.."}, {1, "\x07", "seven", "7"},
          {3, "xyz", "skipped-extra", "S"}, {0, "", "empty", ""}}},
        {"Packed", 1, {{0, "", "zzz", "raw-deflate-bytes"}}, 4000000000u},
        {"Nothing", 0, {}},
    });
    files.Add(kPath, file.get());
    ASSERT_TRUE(archive.ReadArchive(kPath)) << log.text;
    EXPECT_EQ(archive.sectionCount(), 3);

    const ArchiveSection& images = archive.Section("Images");
    ASSERT_EQ(images.resources.size(), 5u);
    const struct {
        const char* name;
        uint8_t flag;
        const char* data;
    } want[] = {{"a.png", 0, "AAAA"}, {"jvm.exe", 1, "MZ.."}, {"seven", 7, "7"},
                {"skipped-extra", 0, "S"}, {"empty", 0, ""}};
    for (size_t i = 0; i < 5; ++i) {
        const ArchiveResource& r = images.resources[i];
        EXPECT_EQ(r.name, want[i].name);
        EXPECT_EQ(r.flag, want[i].flag) << r.name;
        std::string data(r.size, '\0');
        if (r.size != 0) {
            ASSERT_TRUE(r.ReadData(files, reinterpret_cast<uint8_t*>(&data[0]))) << r.name;
        }
        EXPECT_EQ(data, want[i].data);
    }
    uint8_t unused = 0;
    EXPECT_FALSE(images.resources[4].ReadData(files, &unused)) << "size 0 is never read";

    const ArchiveSection& packed = archive.Section("Packed");
    EXPECT_EQ(packed.resourceCount, 4000000000u) << "the count stays as read";
    EXPECT_TRUE(packed.resources.empty()) << "compressed sections list nothing";
    EXPECT_EQ(archive.Section("Nothing").resources.size(), 0u);

    const ArchiveSection& absent = archive.Section("BundledVMInstallers");
    EXPECT_TRUE(absent.resources.empty());
    EXPECT_EQ(absent.resourceCount, 0u);
}

TEST_F(JavaArchiveTest, WritesTheFullTraceWithLogAll) {
    log.SetTracing(true);
    const Bytes file = Archive({{"Res", 0, {{0, "", "a", "12"}}}, {"Zip", 1, {}, 9}});
    files.Add(kPath, file.get());
    ASSERT_TRUE(archive.ReadArchive(kPath));
    // Header offsets: 16 and 16 + 5 + 13 + 13; the resource's data at 45.
    EXPECT_EQ(log.text,
              "\r\nReading Java archive C:\\t\\Install.class with 2 sections...\r\n"
              "\tReading 1 Resource...\r\n"
              "\t\tResource (0) : Name(a), Size(2), File Offset(45)\r\n"
              "\tSection Info:(0) Name(Res), Size(13), ResourceCount(1), Compressed(No), ResourceFileOffset(16)\r\n"
              "\tSection Info:(1) Name(Zip), Size(0), ResourceCount(9), Compressed(Yes), ResourceFileOffset(47)\r\n");
}

TEST_F(JavaArchiveTest, EveryFailureRowLogsExactly) {
    const Bytes good = Archive({{"Res", 0, {{0, "", "a", "12"}}}});
    Bytes pastEnd;
    pastEnd.text("\xCA\xFE\xBA\xBE").u64(4000);
    Bytes atEnd;
    atEnd.text("\xCA\xFE\xBA\xBE").u64(12);
    Bytes noCount;  // the table offset points at the trailer's last byte
    noCount.text("\xCA\xFE\xBA\xBE").u64(11);
    Bytes entryOutside;
    entryOutside.text("\xCA\xFE\xBA\xBE").u16(1).counted("X").u64(999).u64(4);
    Bytes recordCut = Archive({{"Res", 0, {{0, "", "a", "12"}}}});
    std::vector<uint8_t> cut = recordCut.get();
    cut[4 + 12 + 2 + 3 + 3] = 2;  // claims two resources; the second runs into the table
    Bytes twoRecords;
    twoRecords.append(cut);

    struct Case {
        const char* what;
        Bytes file;
        std::string path;
        std::string log;
    };
    const Case cases[] = {
        {"no path", good, "", "\r\nNeed path to Java archive \r\n"},
        {"cannot open", good, "C:\\t\\missing.class", "Could not open file  C:\\t\\missing.class \r\n"},
        {"shorter than the trailer", Bytes().text("\xCA\xFE\xBA\xBE"), kPath, ""},
        {"table offset past the end", pastEnd, kPath,
         "OffsetTable offset in  C:\\t\\Install.class is out of file range\r\n"},
        {"table offset at the end", atEnd, kPath,
         "OffsetTable offset in  C:\\t\\Install.class is out of file range\r\n"},
        {"count cut short", noCount, kPath, ""},
        {"header outside the file", entryOutside, kPath, ""},
        {"resource record cut short", twoRecords, kPath, ""},
    };
    for (const Case& c : cases) {
        MemoryFiles caseFiles;
        MemoryLog caseLog;
        JavaArchive reader(caseFiles, texts, caseLog);
        caseFiles.Add(kPath, c.file.get());
        EXPECT_FALSE(reader.ReadArchive(c.path)) << c.what;
        EXPECT_EQ(caseLog.text, c.log) << c.what;
    }
}

TEST_F(JavaArchiveTest, LaterSectionOfTheSameNameWins) {
    const Bytes file = Archive({{"Same", 0, {{0, "", "first", "1"}}}, {"Same", 0, {{0, "", "second", "2"}}}});
    files.Add(kPath, file.get());
    ASSERT_TRUE(archive.ReadArchive(kPath));
    ASSERT_EQ(archive.Section("Same").resources.size(), 1u);
    EXPECT_EQ(archive.Section("Same").resources[0].name, "second");
}

}  // namespace
}  // namespace tarnwick
