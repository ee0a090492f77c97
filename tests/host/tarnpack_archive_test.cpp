#include <gtest/gtest.h>
#include <zlib.h>

#include <string>
#include <vector>

#include "archive_writer.h"
#include "base/texts.h"
#include "class_file.h"
#include "host_files.h"
#include "output_file.h"
#include "pack_error.h"
#include "package/java_archive.h"
#include "tests/host/tarnpack_test_support.h"

namespace tarnpack {
namespace {

using test::ReadFile;
using test::ScratchFolder;

struct Resource {
    std::string name;
    std::vector<uint8_t> data;
    std::vector<uint8_t> extra;
};

struct Section {
    std::string name;
    bool compressed;
    std::vector<Resource> resources;
};

// Packs the sections into a copy of a class, reads the result with the
// launcher's reader and keeps both for the checks.
class TarnpackArchiveTest : public ::testing::Test {
  protected:
    ArchiveSummary Pack(const std::vector<Section>& sections) {
        ArchiveInputs inputs{folder_.Write("Main.class", test::RichClass()), {}};
        int file = 0;
        for (const Section& section : sections) {
            ArchiveSectionInput input{section.name, section.compressed, {}};
            for (const Resource& resource : section.resources) {
                const std::string path = folder_.Write("input" + std::to_string(file++), resource.data);
                input.resources.push_back({resource.name, path, resource.extra});
            }
            inputs.sections.push_back(input);
        }
        const ArchiveSummary summary = WriteArchive(files_, inputs, output_);
        EXPECT_TRUE(reader_.ReadArchive(output_));
        return summary;
    }

    std::vector<uint8_t> Data(const tarnwick::ArchiveResource& resource) {
        std::vector<uint8_t> data(resource.size);
        EXPECT_TRUE(resource.ReadData(files_, data.data()));
        return data;
    }

    ScratchFolder folder_;
    HostFiles files_;
    const tarnwick::EnglishTexts texts_{};
    test::NoLog log_;
    tarnwick::JavaArchive reader_{files_, texts_, log_};
    const std::string output_ = folder_.Path("Main.out.class");
};

// The records as the installer reads them, built here independently.
std::vector<uint8_t> Records(const std::vector<Resource>& resources) {
    std::vector<uint8_t> out;
    for (const Resource& resource : resources) {
        test::Put32(out, static_cast<uint32_t>(resource.extra.size()));
        out.insert(out.end(), resource.extra.begin(), resource.extra.end());
        test::PutText(out, resource.name);
        test::Put32(out, static_cast<uint32_t>(resource.data.size()));
        out.insert(out.end(), resource.data.begin(), resource.data.end());
    }
    return out;
}

std::vector<uint8_t> InflateRaw(const std::vector<uint8_t>& compressed) {
    z_stream stream{};
    EXPECT_EQ(inflateInit2(&stream, -15), Z_OK);
    std::vector<uint8_t> out(1 << 20);
    stream.next_in = const_cast<Bytef*>(compressed.data());
    stream.avail_in = static_cast<uInt>(compressed.size());
    stream.next_out = out.data();
    stream.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(inflate(&stream, Z_FINISH), Z_STREAM_END);
    EXPECT_EQ(stream.avail_in, 0u);
    out.resize(stream.total_out);
    inflateEnd(&stream);
    return out;
}

uint64_t Big64(const std::vector<uint8_t>& bytes, size_t at) {
    uint64_t value = 0;
    for (size_t i = 0; i < 8; ++i) value = (value << 8) | bytes[at + i];
    return value;
}

TEST_F(TarnpackArchiveTest, UncompressedSectionsReadBackThroughTheLaunchersReader) {
    const std::vector<Resource> first = {{"readme.txt", test::Pattern(1000, 1), {}},
                                         {"app.jar", test::Pattern(70000, 2), {}}};
    const std::vector<Resource> second = {{"icon.png", test::Pattern(3, 3), {}}};
    const ArchiveSummary summary = Pack({{"Files", false, first}, {"Images", false, second}});

    const std::vector<uint8_t> written = ReadFile(output_);
    ASSERT_EQ(written.size(), summary.fileSize);
    EXPECT_EQ(Big64(written, written.size() - 8), summary.tableOffset);
    EXPECT_EQ(reader_.tableOffset(), summary.tableOffset);
    EXPECT_EQ(reader_.sectionCount(), 2);
    ASSERT_EQ(reader_.sections().size(), 2u);

    const tarnwick::ArchiveSection& files = reader_.Section("Files");
    EXPECT_EQ(files.resourceCount, 2u);
    EXPECT_EQ(files.compressed, 0);
    EXPECT_EQ(files.dataSize, Records(first).size());
    ASSERT_EQ(files.resources.size(), 2u);
    for (size_t i = 0; i < first.size(); ++i) {
        EXPECT_EQ(files.resources[i].name, first[i].name);
        EXPECT_EQ(files.resources[i].flag, 0);
        EXPECT_EQ(files.resources[i].extraLength, 0u);
        EXPECT_EQ(Data(files.resources[i]), first[i].data);
    }
    // Sections lie back to back in command-line order.
    const tarnwick::ArchiveSection& images = reader_.Section("Images");
    EXPECT_EQ(images.headerOffset, files.headerOffset + 2 + 5 + 4 + 8 + 1 + files.dataSize);
    ASSERT_EQ(images.resources.size(), 1u);
    EXPECT_EQ(Data(images.resources[0]), second[0].data);
    EXPECT_EQ(summary.tableOffset, images.headerOffset + 2 + 6 + 4 + 8 + 1 + images.dataSize);
}

TEST_F(TarnpackArchiveTest, TheResultIsStillAWellFormedClassEndingInItsAttribute) {
    const std::vector<uint8_t> original = test::RichClass();
    const ClassLayout before = ParseClassFile(original, kResourcesAttribute, "Main.class");
    Pack({{"Files", false, {{"a", test::Pattern(10, 1), {}}}}});

    const std::vector<uint8_t> written = ReadFile(output_);
    const ClassLayout after = ParseClassFile(written, kResourcesAttribute, output_);
    EXPECT_TRUE(after.hasNamedAttribute);
    EXPECT_FALSE(before.hasNamedAttribute);
    EXPECT_EQ(after.constantPoolCount, before.constantPoolCount + 1);
    EXPECT_EQ(after.attributesCount, before.attributesCount + 1);
    // The original bytes up to the pool's end are unchanged but for its count.
    EXPECT_TRUE(
        std::equal(original.begin() + 10, original.begin() + before.constantPoolEnd, written.begin() + 10));
    // The new attribute: name index (the new constant), then a length that
    // reaches exactly to the end of the file.
    const size_t attribute = original.size() + 3 + std::string(kResourcesAttribute).size();
    EXPECT_EQ((written[attribute] << 8) | written[attribute + 1], before.constantPoolCount);
    const uint32_t length =
        static_cast<uint32_t>((written[attribute + 2] << 24) | (written[attribute + 3] << 16) |
                              (written[attribute + 4] << 8) | written[attribute + 5]);
    EXPECT_EQ(attribute + 6 + length, written.size());
}

TEST_F(TarnpackArchiveTest, CompressedSectionsHoldOneRawDeflateStreamOfTheRecords) {
    const std::vector<Resource> resources = {{"one.txt", std::vector<uint8_t>(5000, 'a'), {}},
                                             {"two.bin", test::Pattern(20000, 9), {1}},
                                             {"empty", {}, {}}};
    Pack({{"Packed", true, resources}});

    const tarnwick::ArchiveSection& section = reader_.Section("Packed");
    EXPECT_NE(section.compressed, 0);
    EXPECT_EQ(section.resourceCount, 3u);
    EXPECT_TRUE(section.resources.empty());
    std::vector<uint8_t> data(section.dataSize);
    const std::vector<uint8_t> written = ReadFile(output_);
    const size_t dataOffset = section.headerOffset + 2 + 6 + 4 + 8 + 1;
    data.assign(written.begin() + dataOffset, written.begin() + dataOffset + section.dataSize);
    EXPECT_EQ(InflateRaw(data), Records(resources));
}

TEST_F(TarnpackArchiveTest, EmptySectionsAreValid) {
    Pack({{"Nothing", false, {}}, {"NothingPacked", true, {}}});
    EXPECT_EQ(reader_.Section("Nothing").resourceCount, 0u);
    EXPECT_EQ(reader_.Section("Nothing").dataSize, 0u);
    EXPECT_TRUE(reader_.Section("Nothing").resources.empty());
    const tarnwick::ArchiveSection& packed = reader_.Section("NothingPacked");
    EXPECT_EQ(packed.resourceCount, 0u);
    const std::vector<uint8_t> written = ReadFile(output_);
    const size_t dataOffset = packed.headerOffset + 2 + 13 + 4 + 8 + 1;
    EXPECT_TRUE(
        InflateRaw({written.begin() + dataOffset, written.begin() + dataOffset + packed.dataSize}).empty());
}

TEST_F(TarnpackArchiveTest, ExtraBytesGiveTheFlagOnlyWhenThereIsExactlyOne) {
    Pack({{"Flags",
           false,
           {{"none", {1}, {}},
            {"jvm", {2}, {1}},
            {"seven", {3}, {7}},
            {"two", {4}, {1, 1}},
            {"five", {5}, {9, 9, 9, 9, 9}}}}});
    const std::vector<tarnwick::ArchiveResource>& resources = reader_.Section("Flags").resources;
    ASSERT_EQ(resources.size(), 5u);
    const struct {
        const char* name;
        uint32_t extraLength;
        uint8_t flag;
    } want[] = {{"none", 0, 0}, {"jvm", 1, 1}, {"seven", 1, 7}, {"two", 2, 0}, {"five", 5, 0}};
    for (size_t i = 0; i < resources.size(); ++i) {
        EXPECT_EQ(resources[i].name, want[i].name);
        EXPECT_EQ(resources[i].extraLength, want[i].extraLength);
        EXPECT_EQ(resources[i].flag, want[i].flag);
        EXPECT_EQ(Data(resources[i]), std::vector<uint8_t>{static_cast<uint8_t>(i + 1)});
    }
}

TEST_F(TarnpackArchiveTest, ALaterSectionOfTheSameNameWins) {
    Pack({{"Same", false, {{"first", {1}, {}}}},
          {"Other", false, {}},
          {"Same", false, {{"second", {2}, {}}}}});
    EXPECT_EQ(reader_.sectionCount(), 3);
    EXPECT_EQ(reader_.sections().size(), 2u);
    ASSERT_EQ(reader_.Section("Same").resources.size(), 1u);
    EXPECT_EQ(reader_.Section("Same").resources[0].name, "second");
}

TEST_F(TarnpackArchiveTest, EmptyResourcesAreListedButNeverRead) {
    Pack({{"Files", false, {{"empty.txt", {}, {}}, {"after", {42}, {}}}}});
    const std::vector<tarnwick::ArchiveResource>& resources = reader_.Section("Files").resources;
    ASSERT_EQ(resources.size(), 2u);
    EXPECT_EQ(resources[0].name, "empty.txt");
    EXPECT_EQ(resources[0].size, 0u);
    uint8_t byte = 0;
    EXPECT_FALSE(resources[0].ReadData(files_, &byte));
    EXPECT_EQ(Data(resources[1]), std::vector<uint8_t>{42});
}

TEST_F(TarnpackArchiveTest, RefusesAClassThatAlreadyCarriesResources) {
    Pack({{"Files", false, {}}});
    const ArchiveInputs again{output_, {}};
    const std::string second = folder_.Path("Again.class");
    EXPECT_THROW(WriteArchive(files_, again, second), PackError);
    EXPECT_FALSE(test::Exists(second));
    EXPECT_FALSE(test::Exists(TemporaryNameFor(second)));
}

TEST_F(TarnpackArchiveTest, RefusesResourcesThatCannotBeRead) {
    const ArchiveInputs inputs{folder_.Write("Main.class", test::MinimalClass("Main")),
                               {{"Files", false, {{"gone", folder_.Path("missing"), {}}}}}};
    try {
        WriteArchive(files_, inputs, output_);
        FAIL() << "no refusal";
    } catch (const PackError& error) {
        EXPECT_EQ(std::string(error.what()), "cannot open " + folder_.Path("missing"));
    }
    EXPECT_FALSE(test::Exists(output_));
}

}  // namespace
}  // namespace tarnpack
