#include "host_files.h"

#include <cstdint>
#include <filesystem>
#include <limits>
#include <system_error>

namespace tarnpack {
namespace {

bool SeekFile(std::FILE* file, int64_t offset, int origin) {
#ifdef _WIN32
    return _fseeki64(file, offset, origin) == 0;
#else
    return fseeko(file, static_cast<off_t>(offset), origin) == 0;
#endif
}

int64_t TellFile(std::FILE* file) {
#ifdef _WIN32
    return _ftelli64(file);
#else
    return ftello(file);
#endif
}

}  // namespace

HostFileSource::~HostFileSource() {
    std::fclose(file_);
}

bool HostFileSource::Read(void* out, uint32_t size) {
    return size == 0 || std::fread(out, 1, size, file_) == size;
}

bool HostFileSource::Seek(uint64_t position) {
    if (position > static_cast<uint64_t>(std::numeric_limits<int64_t>::max())) return false;
    return SeekFile(file_, static_cast<int64_t>(position), SEEK_SET);
}

bool HostFileSource::Size(uint64_t* size) {
    const int64_t here = TellFile(file_);
    if (here < 0 || !SeekFile(file_, 0, SEEK_END)) return false;
    const int64_t end = TellFile(file_);
    if (!SeekFile(file_, here, SEEK_SET) || end < 0) return false;
    *size = static_cast<uint64_t>(end);
    return true;
}

std::unique_ptr<tarnwick::ByteSource> HostFiles::Open(const std::string& path) {
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored)) return nullptr;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return nullptr;
    return std::make_unique<HostFileSource>(file);
}

}  // namespace tarnpack
