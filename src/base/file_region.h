// A run of bytes inside a file: a package section behind the launcher's
// image, a resource inside the Java archive. The readers record where it
// lies; its bytes are read only when needed, through a fresh open.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "base/byte_source.h"

namespace tarnwick {

struct FileRegion {
    std::string path;         // the file the bytes lie in
    uint64_t dataOffset = 0;  // absolute position of the first byte
    uint32_t size = 0;
    uint64_t fileSize = 0;    // of the file, when the region was read

    // Sizes come from the file and are not trusted: true only when the
    // whole region lies inside the file, so a buffer of `size` may be made.
    bool LiesInFile() const { return dataOffset <= fileSize && fileSize - dataOffset >= size; }
    // Reads exactly `size` bytes at the data offset into `buffer`.
    bool ReadData(SourceOpener& files, uint8_t* buffer) const;
    // The file, opened anew and standing at the data offset, for reading the
    // region piece by piece; null when that cannot be.
    std::unique_ptr<ByteSource> OpenData(SourceOpener& files) const;
};

}  // namespace tarnwick
