#include "edited_files.h"

#include <algorithm>
#include <cstring>

#include "base/byte_source.h"

namespace tarnpack {
namespace {

class EditedSource final : public tarnwick::ByteSource {
  public:
    EditedSource(std::unique_ptr<tarnwick::ByteSource> file, const std::vector<ByteEdit>& edits)
        : file_(std::move(file)), edits_(edits) {}

    bool Read(void* out, uint32_t size) override {
        if (!file_->Read(out, size)) return false;
        const uint64_t start = position_, end = position_ + size;
        position_ = end;
        for (const ByteEdit& edit : edits_) {
            const uint64_t from = std::max(start, edit.offset);
            const uint64_t to = std::min(end, edit.offset + edit.bytes.size());
            if (from >= to) continue;
            std::memcpy(static_cast<uint8_t*>(out) + (from - start), edit.bytes.data() + (from - edit.offset),
                        static_cast<size_t>(to - from));
        }
        return true;
    }
    bool Seek(uint64_t position) override {
        if (!file_->Seek(position)) return false;
        position_ = position;
        return true;
    }
    bool Size(uint64_t* size) override { return file_->Size(size); }

  private:
    std::unique_ptr<tarnwick::ByteSource> file_;
    const std::vector<ByteEdit>& edits_;
    uint64_t position_ = 0;
};

}  // namespace

std::unique_ptr<tarnwick::ByteSource> EditedFiles::Open(const std::string& path) {
    std::unique_ptr<tarnwick::ByteSource> file = files_.Open(path);
    if (!file || path != path_ || edits_.empty()) return file;
    return std::make_unique<EditedSource>(std::move(file), edits_);
}

std::unique_ptr<tarnwick::ByteSource> ReplacedFile::Open(const std::string& path) {
    if (path != path_) return files_.Open(path);
    return std::make_unique<tarnwick::MemorySource>(bytes_.data(), bytes_.size());
}

}  // namespace tarnpack
