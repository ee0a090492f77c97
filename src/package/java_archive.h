// The Java archive: the installer's main class file, which carries named
// sections of resources found through an offset table at its end.
//
//   trailer (last 8 bytes):  table offset (8)
//   offset table:            count S (2), then S x [name (2+L), header offset (8)]
//   section header:          name (2+L), resource count R (4), data size D (8),
//                            compressed flag (1), then D bytes of data
//   resource record:         extra length X (4), X extra bytes (a single one
//                            is the flag), name (2+L), size Z (4), Z bytes
//
// Big-endian; offsets are absolute. Compressed sections hold raw DEFLATE and
// are never inflated here: their resource lists stay empty.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "base/byte_source.h"
#include "base/file_region.h"
#include "base/log_sink.h"
#include "base/texts.h"
#include "package/parsed_ranges.h"

namespace tarnwick {

// Its data is a region of the archive file.
struct ArchiveResource : FileRegion {
    uint32_t extraLength = 0;
    uint8_t flag = 0;
    std::string name;

    // As FileRegion::ReadData, but a resource of size 0 holds nothing to run
    // or copy: false without touching the file.
    bool ReadData(SourceOpener& files, uint8_t* buffer) const {
        return size != 0 && FileRegion::ReadData(files, buffer);
    }
};

struct ArchiveSection {
    std::string path;
    std::string name;
    uint32_t resourceCount = 0;  // as read, also for a compressed section
    uint64_t dataSize = 0;
    uint8_t compressed = 0;
    uint64_t headerOffset = 0;
    // In file order; empty for a compressed section whatever its count, so
    // walk the list, never index it by the count.
    std::vector<ArchiveResource> resources;
};

class JavaArchive {
  public:
    JavaArchive(SourceOpener& files, const TextSource& texts, LogSink& log)
        : files_(files), texts_(texts), log_(log) {}
    JavaArchive(const JavaArchive&) = delete;
    JavaArchive& operator=(const JavaArchive&) = delete;

    // Reads the trailer, the offset table, every section header and the
    // resource records of uncompressed sections. On false the sections read
    // so far stay in the map. A header at or inside another section's bytes,
    // a record running into another section and more records than the rest
    // of the file can hold are refused, so reading stays linear in the file.
    bool ReadArchive(const std::string& path);

    // The section of that name; an absent name is added as an empty section.
    ArchiveSection& Section(const std::string& name) { return sections_[name]; }

    const std::map<std::string, ArchiveSection>& sections() const { return sections_; }
    uint64_t tableOffset() const { return tableOffset_; }
    uint16_t sectionCount() const { return sectionCount_; }

  private:
    bool ReadWholeArchive(const std::string& path);
    bool ReadSection(ByteSource& file, uint64_t entry, ArchiveSection* section, uint16_t* nameLength);
    bool ReadResource(ByteSource& file, uint64_t position, ArchiveResource* resource,
                      uint64_t* recordSize);

    SourceOpener& files_;
    const TextSource& texts_;
    LogSink& log_;
    std::string path_;
    uint64_t fileSize_ = 0;
    uint64_t tableOffset_ = 0;
    uint16_t sectionCount_ = 0;
    std::map<std::string, ArchiveSection> sections_;
    ParsedRanges parsed_;  // section headers with their resource records
};

}  // namespace tarnwick
