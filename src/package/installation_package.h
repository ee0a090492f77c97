// The package behind the launcher's PE image: a section table and its
// sections (1: the Java archive, 2: the verify class, 3: the criteria).
//
//   package start:  count N (4)
//   then N entries: id (1), size (4, name header included), offset (8)
//   each section:   name length L (2), name (L), data (size - 2 - L)
//
// Big-endian throughout; offsets count from the package start.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "base/byte_source.h"
#include "base/file_region.h"
#include "base/log_sink.h"
#include "base/texts.h"
#include "package/parsed_ranges.h"

namespace tarnwick {

// Its data is a region of the executable; `size` is the data size once the
// entry is read (a size field that leaves less than nothing refuses the
// entry, so a kept section's size is never negative).
struct PackageSection : FileRegion {
    uint8_t id = 0;
    uint64_t offset = 0;  // of the name header, from the package start
    std::string name;
};

class InstallationPackage {
  public:
    InstallationPackage(SourceOpener& files, const TextSource& texts) : files_(files), texts_(texts) {}
    InstallationPackage(const InstallationPackage&) = delete;
    InstallationPackage& operator=(const InstallationPackage&) = delete;

    // Finds the package in the file at `path` and reads its table, logging
    // to `log`. On false the map holds the entries read before the failure.
    bool ReadSectionTable(const std::string& path, LogSink& log);

    // The section with that id; an absent id is added as an empty section.
    PackageSection& Section(uint8_t id) { return sections_[id]; }

    const std::map<uint8_t, PackageSection>& sections() const { return sections_; }
    int32_t sectionCount() const { return sectionCount_; }
    uint32_t start() const { return start_; }

  private:
    bool ReadEntry(ByteSource& file, uint64_t position, uint64_t fileSize, PackageSection* section);

    SourceOpener& files_;
    const TextSource& texts_;
    std::string path_;
    int32_t sectionCount_ = 0;
    uint32_t start_ = 0;
    std::map<uint8_t, PackageSection> sections_;
    ParsedRanges names_;  // the section names read so far
};

}  // namespace tarnwick
