// The packer's writers, read back with the launcher's own readers, and its
// class-file walk over good, cut and mutated class files. Its refusals are
// checked through the command line (cases/tarnpack_cli.txt).
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

namespace t = tarnwick::test;
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
    t::Bytes out;
    for (const Resource& r : resources)
        out.u32(uint32_t(r.extra.size())).append(r.extra).counted(r.name).u32(uint32_t(r.data.size())).append(r.data);
    return out;
}

Data InflateRaw(const Data& compressed) {
    Data out(1 << 20);
    z_stream stream{};
    stream.next_in = const_cast<Bytef*>(compressed.data()), stream.avail_in = uInt(compressed.size());
    stream.next_out = out.data(), stream.avail_out = uInt(out.size());
    EXPECT_EQ(inflateInit2(&stream, -15), Z_OK);
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

TEST(TarnpackArchiveTest, SectionsReadBackThroughTheLaunchersReaderFromAWellFormedClass) {
    const std::vector<Resource> files = {{"readme.txt", t::Pattern(1000, 1), {}},
                                         {"app.jar", t::Pattern(70000, 2), {1}},
                                         {"two", {4}, {1, 1}}, {"empty.txt", {}, {}}};
    const std::vector<Resource> packed = {{"one.txt", Data(5000, 'a'), {}}, {"two.bin", t::Pattern(20000, 9), {1}}};
    const std::vector<std::tuple<std::string, bool, std::vector<Resource>>> sections = {
        {"Files", false, files}, {"Same", false, {{"old", {1}, {}}}}, {"Packed", true, packed},
        {"Nothing", false, {}}, {"NothingPacked", true, {}}, {"Same", false, {{"new", {2}, {}}}}};
    t::ScratchFolder folder;
    const Data original = t::RichClass();
    ArchiveInputs inputs{folder.Write("Main.class", original), {}};
    for (const auto& [name, compressed, resources] : sections) {
        inputs.sections.push_back({name, compressed, {}});
        for (const Resource& r : resources)
            inputs.sections.back().resources.push_back({r.name, folder.Write(name + r.name, r.data), r.extra});
    }
    HostFiles host;
    const std::string output = folder.Path("Main.out.class");
    const ArchiveSummary summary = WriteArchive(host, inputs, output);
    const Data written = t::ReadFile(output);
    EXPECT_EQ(written.size(), summary.fileSize);
    EXPECT_EQ(Big(written, written.size() - 8, 8), summary.tableOffset);

    const tarnwick::EnglishTexts texts;
    NoLog log;
    tarnwick::JavaArchive reader{host, texts, log};
    ASSERT_TRUE(reader.ReadArchive(output));
    EXPECT_EQ(reader.tableOffset(), summary.tableOffset);
    EXPECT_EQ(reader.sectionCount(), 6);
    // Each section's data as written: the records, or one raw DEFLATE stream of them.
    uint64_t at = reader.Section("Files").headerOffset;
    for (const auto& [name, compressed, resources] : sections) {
        const tarnwick::ArchiveSection& section = reader.Section(name);
        if (name == "Same" && resources[0].name == "old") {
            at += 2 + 4 + 4 + 8 + 1 + Records(resources).size();
            continue;
        }
        EXPECT_EQ(section.headerOffset, at) << name << ": sections lie back to back in command-line order";
        EXPECT_EQ(section.resourceCount, resources.size()) << name;
        EXPECT_EQ(section.compressed != 0, compressed) << name;
        const size_t data = size_t(at) + 2 + name.size() + 4 + 8 + 1;
        const Data bytes(written.begin() + data, written.begin() + data + section.dataSize);
        EXPECT_EQ(compressed ? InflateRaw(bytes) : bytes, Records(resources)) << name;
        EXPECT_EQ(section.resources.size(), compressed ? 0 : resources.size()) << name;
        for (size_t i = 0; i < section.resources.size(); ++i) {
            Data read(resources[i].data.size());
            EXPECT_EQ(section.resources[i].ReadData(host, read.data()), !read.empty()) << resources[i].name;
            EXPECT_EQ(read, resources[i].data) << resources[i].name;
        }
        at = data + section.dataSize;
    }
    EXPECT_EQ(at, summary.tableOffset);

    // Still the class it was, plus one constant (the attribute's name) and the attribute.
    const ClassLayout before = ParseClassFile(original, kResourcesAttribute, "Main.class");
    const ClassLayout after = ParseClassFile(written, kResourcesAttribute, output);
    EXPECT_FALSE(before.hasNamedAttribute);
    EXPECT_TRUE(after.hasNamedAttribute);
    EXPECT_EQ(after.constantPoolCount, before.constantPoolCount + 1);
    EXPECT_EQ(after.attributesCount, before.attributesCount + 1);
    EXPECT_TRUE(std::equal(original.begin() + 10, original.begin() + before.constantPoolEnd, written.begin() + 10));
    // The attribute last: the new constant's index, a length to the end of the file.
    const size_t attribute = original.size() + 3 + std::string(kResourcesAttribute).size();
    EXPECT_EQ(Big(written, attribute, 2), before.constantPoolCount);
    EXPECT_EQ(attribute + 6 + Big(written, attribute + 2, 4), written.size());
}

constexpr char kName[] = "TarnwickResources";

// What the archive writer does: the class with a trailing attribute.
Data WithAttribute(const Data& bytes, const Data& payload) {
    Data out = StartTrailingAttribute(bytes, ParseClassFile(bytes, kName, "c"), kName, "c");
    return t::Bytes().append(out).u32(uint32_t(payload.size())).append(payload);
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
    t::Bytes full;
    full.u32(0xCAFEBABE).u32(52).u16(0xFFFF);
    for (int i = 1; i < 0xFFFF; ++i) full.u8(3).u32(0);
    full.fill(14);
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
    NoLog log;
    tarnwick::InstallationPackage package(files, texts);
    ASSERT_TRUE(package.ReadSectionTable(output, log));
    EXPECT_EQ(package.start(), 466944u);
    const Data wanted[] = {archive, verify, t::Bytes().counted(criteria)};
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
