#include "base/file_region.h"

#include <memory>

namespace tarnwick {

bool FileRegion::ReadData(SourceOpener& files, uint8_t* buffer) const {
    std::unique_ptr<ByteSource> file = OpenData(files);
    return file && file->Read(buffer, size);
}

std::unique_ptr<ByteSource> FileRegion::OpenData(SourceOpener& files) const {
    if (path.empty() || !LiesInFile()) return nullptr;
    std::unique_ptr<ByteSource> file = files.Open(path);
    if (!file || !file->Seek(dataOffset)) return nullptr;
    return file;
}

}  // namespace tarnwick
