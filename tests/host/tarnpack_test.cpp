// The packer's writers, read back with the launcher's own readers, and its
// class-file walk over good, refused, cut and mutated class files.
#include <gtest/gtest.h>
#include <zlib.h>

#include <random>

#include "app/texts.h"
#include "archive_writer.h"
#include "class_file.h"
#include "host_files.h"
#include "pack_error.h"
#include "package/criteria_record.h"
#include "package/installation_package.h"
#include "package/java_archive.h"
#include "package_writer.h"
#include "tests/host/test_bytes.h"

namespace tarnpack {
namespace {

using tarnwick::test::Bytes;
using Data = std::vector<uint8_t>;

struct NoLog final : tarnwick::LogSink {
    bool IsOpen() const override { return false; }
    void WriteLine(std::string_view) override {}
};

struct Resource {
    std::string name;
    Data data, extra;
};

// The records as the installer reads them, built here independently.
Data Records(const std::vector<Resource>& resources) {
    Bytes out;
    for (const Resource& r : resources) out.u32(uint32_t(r.extra.size())).append(r.extra).counted(r.name).u32(uint32_t(r.data.size())).append(r.data);
    return out;
}

Data InflateRaw(const Data& compressed) {
    z_stream stream{};
    EXPECT_EQ(inflateInit2(&stream, -15), Z_OK);
    Data out(1 << 20);
    stream.next_in = const_cast<Bytef*>(compressed.data());
    stream.avail_in = uInt(compressed.size());
    stream.next_out = out.data();
    stream.avail_out = uInt(out.size());
    EXPECT_EQ(inflate(&stream, Z_FINISH), Z_STREAM_END);
    out.resize(stream.total_out);
    inflateEnd(&stream);
    return out;
}

uint64_t Big(const Data& bytes, size_t at, size_t width) {
    uint64_t value = 0;
    for (size_t i = 0; i < width; ++i) value = (value << 8) | bytes[at + i];
    return value;
}

// Packs sections (name, compressed, resources) into a copy of RichClass and
// reads the result with the launcher's reader.
class TarnpackArchiveTest : public ::testing::Test {
  protected:
    ArchiveSummary Pack(const std::vector<std::tuple<std::string, bool, std::vector<Resource>>>& sections) {
        ArchiveInputs inputs{folder.Write("Main.class", tarnwick::test::RichClass()), {}};
        for (const auto& [name, compressed, resources] : sections) {
            inputs.sections.push_back({name, compressed, {}});
            for (const Resource& r : resources) {
                const std::string path = folder.Write("in" + std::to_string(files.size()), r.data);
                inputs.sections.back().resources.push_back({r.name, path, r.extra});
                files.push_back(path);
            }
        }
        const ArchiveSummary summary = WriteArchive(host, inputs, output);
        written = tarnwick::test::ReadFile(output);
        EXPECT_EQ(written.size(), summary.fileSize);
        EXPECT_TRUE(reader.ReadArchive(output));
        return summary;
    }
    Data Read(const tarnwick::ArchiveResource& r) {
        Data data(r.size);
        EXPECT_EQ(r.ReadData(host, data.data()), r.size != 0) << r.name;
        return data;
    }
    Data SectionData(const tarnwick::ArchiveSection& s) {
        const size_t at = s.headerOffset + 2 + s.name.size() + 4 + 8 + 1;
        return Data(written.begin() + at, written.begin() + at + s.dataSize);
    }

    tarnwick::test::ScratchFolder folder;
    std::vector<std::string> files;
    HostFiles host;
    const tarnwick::EnglishTexts texts{};
    NoLog log;
    tarnwick::JavaArchive reader{host, texts, log};
    const std::string output = folder.Path("Main.out.class");
    Data written;
};

TEST_F(TarnpackArchiveTest, UncompressedSectionsReadBackThroughTheLaunchersReader) {
    // A single extra byte is the flag; other extras give none.
    const std::vector<Resource> first = {{"readme.txt", tarnwick::test::Pattern(1000, 1), {}},
                                         {"app.jar", tarnwick::test::Pattern(70000, 2), {1}},
                                         {"seven", {3}, {7}}, {"two", {4}, {1, 1}}, {"empty.txt", {}, {}}};
    const std::vector<Resource> second = {{"icon.png", tarnwick::test::Pattern(3, 3), {9, 9, 9, 9, 9}}};
    const ArchiveSummary summary =
        Pack({{"Files", false, first}, {"Same", false, {{"old", {1}, {}}}}, {"Nothing", false, {}},
              {"Same", false, second}});
    EXPECT_EQ(Big(written, written.size() - 8, 8), summary.tableOffset);
    EXPECT_EQ(reader.tableOffset(), summary.tableOffset);
    EXPECT_EQ(reader.sectionCount(), 4);
    EXPECT_EQ(reader.sections().size(), 3u) << "the later section of a name wins";

    const tarnwick::ArchiveSection& files = reader.Section("Files");
    EXPECT_EQ(files.resourceCount, 5u);
    EXPECT_EQ(files.compressed, 0);
    EXPECT_EQ(SectionData(files), Records(first));
    ASSERT_EQ(files.resources.size(), 5u);
    std::string flags;
    for (size_t i = 0; i < first.size(); ++i) {
        const tarnwick::ArchiveResource& r = files.resources[i];
        flags += r.name + ":" + std::to_string(r.extraLength) + ":" + std::to_string(r.flag) + " ";
        EXPECT_EQ(Read(r), first[i].data) << r.name;
    }
    EXPECT_EQ(flags, "readme.txt:0:0 app.jar:1:1 seven:1:7 two:2:0 empty.txt:0:0 ");
    EXPECT_EQ(reader.Section("Nothing").dataSize, 0u);
    // Sections lie back to back in command-line order.
    const tarnwick::ArchiveSection& same = reader.Section("Same");
    ASSERT_EQ(same.resources.size(), 1u);
    EXPECT_EQ(same.resources[0].name, "icon.png");
    EXPECT_EQ(Read(same.resources[0]), second[0].data);
    EXPECT_EQ(summary.tableOffset, same.headerOffset + 2 + 4 + 4 + 8 + 1 + same.dataSize);
}

TEST_F(TarnpackArchiveTest, CompressedSectionsHoldOneRawDeflateStreamOfTheRecords) {
    const std::vector<Resource> resources = {{"one.txt", Data(5000, 'a'), {}},
                                             {"two.bin", tarnwick::test::Pattern(20000, 9), {1}}, {"empty", {}, {}}};
    Pack({{"Packed", true, resources}, {"NothingPacked", true, {}}});
    const tarnwick::ArchiveSection& section = reader.Section("Packed");
    EXPECT_NE(section.compressed, 0);
    EXPECT_EQ(section.resourceCount, 3u);
    EXPECT_TRUE(section.resources.empty());
    EXPECT_EQ(InflateRaw(SectionData(section)), Records(resources));
    EXPECT_EQ(reader.Section("NothingPacked").resourceCount, 0u);
    EXPECT_TRUE(InflateRaw(SectionData(reader.Section("NothingPacked"))).empty());
}

TEST_F(TarnpackArchiveTest, TheResultIsStillAWellFormedClassEndingInItsAttribute) {
    const Data original = tarnwick::test::RichClass();
    const ClassLayout before = ParseClassFile(original, kResourcesAttribute, "Main.class");
    Pack({{"Files", false, {{"a", tarnwick::test::Pattern(10, 1), {}}}}});
    const ClassLayout after = ParseClassFile(written, kResourcesAttribute, output);
    EXPECT_FALSE(before.hasNamedAttribute);
    EXPECT_TRUE(after.hasNamedAttribute);
    EXPECT_EQ(after.constantPoolCount, before.constantPoolCount + 1);
    EXPECT_EQ(after.attributesCount, before.attributesCount + 1);
    // The original bytes up to the pool's end are unchanged but for its count.
    EXPECT_TRUE(std::equal(original.begin() + 10, original.begin() + before.constantPoolEnd, written.begin() + 10));
    // The new attribute: the new constant's index, then a length that
    // reaches exactly to the end of the file.
    const size_t attribute = original.size() + 3 + std::string(kResourcesAttribute).size();
    EXPECT_EQ(Big(written, attribute, 2), before.constantPoolCount);
    EXPECT_EQ(attribute + 6 + Big(written, attribute + 2, 4), written.size());
}

constexpr char kName[] = "TarnwickResources";

// What the archive writer does: the class with a trailing attribute.
Data WithAttribute(const Data& bytes, const Data& payload) {
    Data out = StartTrailingAttribute(bytes, ParseClassFile(bytes, kName, "c"), kName, "c");
    return Bytes().append(out).u32(uint32_t(payload.size())).append(payload);
}

std::string Refusal(const Data& bytes) {
    try {
        ParseClassFile(bytes, kName, "Main.class");
    } catch (const PackError& error) {
        return error.what();
    }
    return "accepted";
}

TEST(TarnpackClassFileTest, WalksEveryKindOfConstantAndMemberAndAppendsItsAttribute) {
    const Data rich = tarnwick::test::RichClass(), minimal = tarnwick::test::MinimalClass("Main");
    const ClassLayout layout = ParseClassFile(rich, kName, "Rich.class");
    EXPECT_EQ(layout.constantPoolCount, 28);
    EXPECT_EQ(layout.attributesCount, 1);
    EXPECT_EQ(layout.attributesCountOffset, rich.size() - 10);
    const ClassLayout small = ParseClassFile(minimal, kName, "Main.class");
    EXPECT_EQ(small.constantPoolCount, 5);
    EXPECT_EQ(small.constantPoolEnd, minimal.size() - 14);
    EXPECT_EQ(small.attributesCount, 0);
    for (const Data& original : {minimal, rich}) {
        const ClassLayout before = ParseClassFile(original, kName, "c");
        const Data packed = WithAttribute(original, {1, 2, 3});
        const ClassLayout after = ParseClassFile(packed, kName, "c");
        EXPECT_EQ(after.constantPoolCount, before.constantPoolCount + 1);
        EXPECT_EQ(after.attributesCount, before.attributesCount + 1);
        EXPECT_TRUE(after.hasNamedAttribute);
        EXPECT_EQ(packed.size(), original.size() + 3 + sizeof kName - 1 + 2 + 4 + 3);
        EXPECT_EQ(Data(packed.end() - 3, packed.end()), Data({1, 2, 3}));
    }
}

TEST(TarnpackClassFileTest, RefusesWhatAJvmWouldNotLoad) {
    const Data good = tarnwick::test::MinimalClass("Main");
    Data notClass = good, trailing = good, unknownTag = good, overlongAttribute = good;
    notClass[0] = 0xCB;
    trailing.push_back(0);
    unknownTag[10] = 2;          // the first constant's tag
    overlongAttribute.back() = 1;  // one class attribute that is not there
    const std::pair<Data, std::string> cases[] = {
        {good, "accepted"},
        {notClass, "it does not start with CA FE BA BE"},
        {trailing, "1 bytes follow its last attribute"},
        {unknownTag, "constant 1 has the unknown tag 2"},
        {Bytes().u32(0xCAFEBABE).u32(52).u16(0), "its constant pool count is 0"},
        {Bytes().u32(0xCAFEBABE).u32(52).u16(2).u8(5).u64(1).fill(14),
         "a long or double constant takes the last pool slot"},
        {overlongAttribute, "it ends inside the class attributes"},
    };
    for (const auto& [bytes, want] : cases)
        EXPECT_EQ(Refusal(bytes), want == "accepted" ? want : "Main.class is no well-formed class file: " + want);
    const Data rich = tarnwick::test::RichClass();
    for (size_t size = 0; size < rich.size(); ++size)
        EXPECT_NE(Refusal(Data(rich.begin(), rich.begin() + std::ptrdiff_t(size))), "accepted") << "cut at " << size;
    // A full pool leaves no room for the attribute's name.
    Bytes full;
    full.u32(0xCAFEBABE).u32(52).u16(0xFFFF);
    for (int i = 1; i < 0xFFFF; ++i) full.u8(3).u32(0);
    full.fill(14);
    EXPECT_EQ(ParseClassFile(full, kName, "Full.class").constantPoolCount, 0xFFFF);
    EXPECT_THROW(StartTrailingAttribute(full, ParseClassFile(full, kName, "Full.class"), kName, "Full.class"), PackError);
}

// Mutated class files must be refused or accepted, never crash or read out
// of bounds (the sanitizers watch), and what is accepted must take the
// attribute and stay well-formed.
TEST(TarnpackClassFileTest, MutatedClassesAreRefusedOrHandledSafely) {
    const Data rich = tarnwick::test::RichClass();
    std::mt19937 random(20260512);
    int accepted = 0;
    for (int round = 0; round < 20000; ++round) {
        Data bytes = rich;
        for (int i = 0, changes = 1 + int(random() % 4); i < changes; ++i) bytes[random() % bytes.size()] = uint8_t(random());
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
    tarnwick::test::ScratchFolder folder;
    const Data launcher = tarnwick::test::PeImage(0x1000, {0x29000, 0x5000, 0x2000, 0x41000});
    Data archive = tarnwick::test::Pattern(3585985, 1), verify = tarnwick::test::Pattern(1709, 2);
    archive[0] = verify[0] = 0xCA, archive[1] = verify[1] = 0xFE, archive[2] = verify[2] = 0xBA;
    archive[3] = verify[3] = 0xBE;
    ASSERT_EQ(launcher.size(), 466944u);
    const PackageInputs inputs{folder.Write("launcher.exe", launcher), folder.Write("Install.class", archive),
                               folder.Write("Verify.class", verify), criteria};
    HostFiles files;
    const std::string output = folder.Path("setup.exe");
    const PackageSummary summary = WritePackage(files, inputs, output);
    EXPECT_EQ(summary.start, 466944u);
    const Data written = tarnwick::test::ReadFile(output);
    ASSERT_EQ(written.size(), summary.fileSize);
    ASSERT_EQ(written.size(), 466944u + 43 + (2 + 13 + 3585985) + (2 + 12 + 1709) + (2 + 18 + 238));
    EXPECT_TRUE(std::equal(launcher.begin(), launcher.end(), written.begin()));
    EXPECT_EQ(Data(written.begin() + 466944, written.begin() + 466944 + 43),
              Bytes().u32(3).u8(1).u32(0x36B7D0).u64(0x2B).u8(2).u32(0x6BB).u64(0x36B7FB).u8(3).u32(0x102).u64(0x36BEB6).get());

    // Read back the way the launcher reads it.
    const tarnwick::EnglishTexts texts;
    NoLog log;
    tarnwick::InstallationPackage package(files, texts);
    ASSERT_TRUE(package.ReadSectionTable(output, log));
    EXPECT_EQ(package.start(), 466944u);
    EXPECT_EQ(package.sectionCount(), 3);
    const std::tuple<uint8_t, const char*, uint64_t, Data> sections[] = {
        {1, "Install.class", 466944 + 43 + 15, archive},
        {2, "Verify.class", 466944 + 43 + 3586000 + 14, verify},
        {3, "vm search criteria", 466944 + 43 + 3586000 + 1723 + 20, Bytes().counted(criteria)}};
    for (const auto& [id, name, offset, want] : sections) {
        const tarnwick::PackageSection& section = package.Section(id);
        EXPECT_EQ(section.name, name);
        EXPECT_EQ(section.dataOffset, offset) << name;
        Data data(size_t(section.size));
        ASSERT_TRUE(section.ReadData(files, data.data())) << name;
        EXPECT_EQ(data, want) << name;
    }
}

TEST(TarnpackPackageTest, TablesAndCriteriaRecordsHaveTheirLimits) {
    EXPECT_EQ(SectionTable({}), Data({0, 0, 0, 0}));
    EXPECT_EQ(SectionTable({{7, "ab", 0}, {9, "", 5}}), Bytes().u32(2).u8(7).u32(4).u64(30).u8(9).u32(7).u64(34).get());
    EXPECT_THROW(SectionTable({{1, "big", 0xFFFFFFFFull}}), PackError);
    EXPECT_EQ(CriteriaRecord(""), Data({0, 0}));
    EXPECT_EQ(CriteriaRecord("ab"), Data({0, 2, 'a', 'b'}));
    EXPECT_EQ(tarnwick::CriteriaFromRecord(CriteriaRecord(std::string(65535, 'x'))), std::string(65535, 'x'));
    EXPECT_THROW(CriteriaRecord(std::string(65536, 'x')), PackError);
}

}  // namespace
}  // namespace tarnpack
