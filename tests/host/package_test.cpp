// The readers of setup.exe on files with several sections: the package's
// section table and the Java archive's sections and resources, with the
// whole trace of -logall. Their refusals are in cases/package.txt.
#include <gtest/gtest.h>

#include "app/process_flags.h"
#include "package/criteria_record.h"
#include "package/installation_package.h"
#include "package/java_archive.h"
#include "tests/host/test_bytes.h"

namespace tarnwick {
namespace {

using test::Bytes;

constexpr char kSetup[] = "C:\\t\\setup.exe";
constexpr char kClass[] = "C:\\t\\Install.class";

struct LogAllScope {
    explicit LogAllScope(bool on) { LogAll = on; }
    ~LogAllScope() { LogAll = false; }
};

std::string Text(const std::vector<uint8_t>& v) { return std::string(v.begin(), v.end()); }

// The image, then the table and the sections (id, name, data) in order.
Bytes Package(const std::vector<std::tuple<uint8_t, std::string, std::string>>& sections) {
    Bytes file = test::PeImage();
    file.u32(uint32_t(sections.size()));
    uint64_t offset = 4 + 13 * sections.size();
    for (const auto& [id, name, data] : sections) {
        file.u8(id).u32(uint32_t(2 + name.size() + data.size())).u64(offset);
        offset += 2 + name.size() + data.size();
    }
    for (const auto& [id, name, data] : sections) file.counted(name).text(data);
    return file;
}

class InstallationPackageTest : public testing::Test {
  protected:
    bool Read(const std::vector<uint8_t>& file, const std::string& path = kSetup) {
        files.Add(kSetup, file);
        log.text.clear();
        return package.ReadSectionTable(path, log);
    }
    MemoryFiles files;
    EnglishTexts texts;
    test::MemoryLog log;
    InstallationPackage package{files, texts};
};

TEST_F(InstallationPackageTest, ReadsTheTableAndTheSectionsAndLogsThemWithLogAll) {
    const Bytes file = Package({{1, "Install.class", "\xCA\xFE\xBA\xBE-archive"}, {2, "Verify.class", ""},
                                {3, "vm search criteria", std::string("\0\x0avendor=sun", 12)},
                                {4, "first", "1"}, {4, "second", "22"}});
    ASSERT_TRUE(Read(file)) << log.text;
    EXPECT_EQ(log.text, "") << "nothing but failures without logall";
    LogAllScope logAll(true);
    ASSERT_TRUE(Read(file));
    EXPECT_EQ(log.text, "\r\nReading installation executable  C:\\t\\setup.exe \r\n"
                        "\tExe Size (1536), Total File Size (" + std::to_string(file.size()) + ") ..\r\n"
                        "\tReading 5 Section Info...\r\n"
                        "\tSection Info: Name(Install.class), Size(12), File Offset(1620)\r\n"
                        "\tSection Info: Name(Verify.class), Size(0), File Offset(1646)\r\n"
                        "\tSection Info: Name(vm search criteria), Size(12), File Offset(1666)\r\n"
                        "\tSection Info: Name(first), Size(1), File Offset(1685)\r\n"
                        "\tSection Info: Name(second), Size(2), File Offset(1694)\r\n");
    EXPECT_EQ(package.start(), 0x600u);
    EXPECT_EQ(package.sectionCount(), 5);
    EXPECT_EQ(package.Section(4).name, "second") << "the later entry of an id wins";
    std::vector<uint8_t> data(package.Section(1).size);
    ASSERT_TRUE(package.Section(1).ReadData(files, data.data()));
    EXPECT_EQ(Text(data), "\xCA\xFE\xBA\xBE-archive");
    EXPECT_TRUE(package.Section(2).ReadData(files, data.data())) << "empty data reads";
    std::vector<uint8_t> record(package.Section(3).size);
    ASSERT_TRUE(package.Section(3).ReadData(files, record.data()));
    EXPECT_EQ(CriteriaFromRecord(record), "vendor=sun");
    // An absent id comes back as an empty section that cannot be read.
    EXPECT_EQ(package.Section(9).size, 0);
    EXPECT_TRUE(package.Section(9).path.empty());
    EXPECT_FALSE(package.Section(9).ReadData(files, data.data()));
}

struct Resource {
    std::string extra, name, data;
};
struct Section {
    std::string name;
    uint8_t compressed;
    std::vector<Resource> resources;
    uint32_t count = 0;  // as stored for a compressed section
};

// A class-file prefix, the sections, the offset table and the trailer.
Bytes Archive(const std::vector<Section>& sections) {
    Bytes file;
    file.text("\xCA\xFE\xBA\xBE").fill(12, 0x11);
    std::vector<uint64_t> headers;
    for (const Section& s : sections) {
        Bytes data;
        for (const Resource& r : s.resources)
            data.u32(uint32_t(r.extra.size())).text(r.extra).counted(r.name).u32(uint32_t(r.data.size())).text(r.data);
        headers.push_back(file.size());
        file.counted(s.name).u32(s.compressed ? s.count : uint32_t(s.resources.size())).u64(data.size());
        file.u8(s.compressed).append(data.get());
    }
    const uint64_t table = file.size();
    file.u16(uint16_t(sections.size()));
    for (size_t i = 0; i < sections.size(); ++i) file.counted(sections[i].name).u64(headers[i]);
    return file.u64(table);
}

class JavaArchiveTest : public InstallationPackageTest {
  protected:
    JavaArchive archive{files, texts, log};
};

TEST_F(JavaArchiveTest, ListsUncompressedResourcesWithTheirFlagsAndLogsThemWithLogAll) {
    LogAllScope logAll(true);
    files.Add(kClass, Archive({{"Res", 0, {{"", "a", "12"}, {"\x01", "jvm.exe", "MZ"}, {"\x07", "seven", "7"},
                                           {"xyz", "three-extra", "S"}, {"", "empty", ""}}},
                               {"Zip", 1, {{"", "zzz", "raw-deflate-bytes"}}, 4000000000u},
                               {"Res2", 0, {{"", "first", "1"}}},
                               {"Res2", 0, {{"", "second", "2"}}}}));
    ASSERT_TRUE(archive.ReadArchive(kClass)) << log.text;
    EXPECT_EQ(log.text,
              "\r\nReading Java archive C:\\t\\Install.class with 4 sections...\r\n"
              "\tReading 5 Resource...\r\n"
              "\t\tResource (0) : Name(a), Size(2), File Offset(45)\r\n"
              "\t\tResource (1) : Name(jvm.exe), Size(2), File Offset(65)\r\n"
              "\t\tResource (2) : Name(seven), Size(1), File Offset(83)\r\n"
              "\t\tResource (3) : Name(three-extra), Size(1), File Offset(108)\r\n"
              "\t\tResource (4) : Name(empty), Size(0), File Offset(124)\r\n"
              "\tSection Info:(0) Name(Res), Size(90), ResourceCount(5), Compressed(No), ResourceFileOffset(16)\r\n"
              // The count is logged as a signed number.
              "\tSection Info:(1) Name(Zip), Size(30), ResourceCount(-294967296), Compressed(Yes), "
              "ResourceFileOffset(124)\r\n"
              "\tReading 1 Resource...\r\n"
              "\t\tResource (0) : Name(first), Size(1), File Offset(206)\r\n"
              "\tSection Info:(2) Name(Res2), Size(16), ResourceCount(1), Compressed(No), ResourceFileOffset(172)\r\n"
              "\tReading 1 Resource...\r\n"
              "\t\tResource (0) : Name(second), Size(1), File Offset(242)\r\n"
              "\tSection Info:(3) Name(Res2), Size(17), ResourceCount(1), Compressed(No), ResourceFileOffset(207)\r\n");
    EXPECT_EQ(archive.sectionCount(), 4);
    std::string seen;
    for (const ArchiveResource& r : archive.Section("Res").resources) {
        std::string data(r.size, '\0');
        const bool read = r.ReadData(files, reinterpret_cast<uint8_t*>(&data[0]));
        seen += r.name + ":" + std::to_string(r.flag) + ":" + (read ? data : "unread") + " ";
    }
    EXPECT_EQ(seen, "a:0:12 jvm.exe:1:MZ seven:7:7 three-extra:0:S empty:0:unread ");
    const ArchiveSection& zip = archive.Section("Zip");
    EXPECT_EQ(zip.resourceCount, 4000000000u) << "the count stays as read";
    EXPECT_TRUE(zip.resources.empty()) << "compressed sections list nothing";
    ASSERT_EQ(archive.Section("Res2").resources.size(), 1u);
    EXPECT_EQ(archive.Section("Res2").resources[0].name, "second") << "the later section of a name wins";
    EXPECT_EQ(archive.Section("BundledVMInstallers").resourceCount, 0u);
    EXPECT_TRUE(archive.Section("BundledVMInstallers").resources.empty());
}

}  // namespace
}  // namespace tarnwick
