#include <cstring>

#include "base/byte_source.h"

namespace tarnwick {

bool MemorySource::Read(void* out, uint32_t size) {
    if (position_ > size_ || size_ - position_ < size) return false;
    if (size != 0) std::memcpy(out, data_ + position_, size);
    position_ += size;
    return true;
}

bool MemorySource::Seek(uint64_t position) {
    position_ = position;
    return true;
}

bool MemorySource::Size(uint64_t* size) {
    *size = size_;
    return true;
}

std::unique_ptr<ByteSource> MemoryFiles::Open(const std::string& path) {
    auto found = files_.find(path);
    if (found == files_.end()) return nullptr;
    return std::make_unique<MemorySource>(found->second.data(), found->second.size());
}

}  // namespace tarnwick
