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
#include "base/log_sink.h"
#include "base/texts.h"

namespace tarnwick {

struct PackageSection {
    std::string path;  // the executable; the data is read through it
    uint8_t id = 0;
    int32_t size = 0;  // the data size once the entry is read
    uint64_t offset = 0;
    std::string name;
    uint64_t dataOffset = 0;  // absolute position of the first data byte
    uint64_t fileSize = 0;    // of the executable, when the table was read

    // Sizes come from the file and are not trusted: true only when the
    // whole data lies inside the file, so a buffer of `size` may be made.
    bool LiesInFile() const;
    // Reads exactly `size` bytes at the data offset into `buffer`.
    bool ReadData(SourceOpener& files, uint8_t* buffer) const;
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
};

}  // namespace tarnwick
