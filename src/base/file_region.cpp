#include "base/file_region.h"

#include <memory>

namespace tarnwick {

bool FileRegion::ReadData(SourceOpener& files, uint8_t* buffer) const {
    if (path.empty() || !LiesInFile()) return false;
    std::unique_ptr<ByteSource> file = files.Open(path);
    return file && file->Seek(dataOffset) && file->Read(buffer, size);
}

}  // namespace tarnwick
