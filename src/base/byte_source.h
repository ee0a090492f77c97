// A readable, seekable run of bytes: a file on Windows, a host file in the
// packer, memory in tests. The package readers are written against this so
// they never see a HANDLE.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace tarnwick {

class ByteSource {
  public:
    virtual ~ByteSource() = default;
    // Reads exactly `size` bytes at the current position and advances it.
    // Fewer bytes (end of data) count as a failure.
    virtual bool Read(void* out, uint32_t size) = 0;
    // Moves to an absolute position; false when it cannot be reached.
    virtual bool Seek(uint64_t position) = 0;
    virtual bool Size(uint64_t* size) = 0;
};

// Bytes held in memory. Seeking past the end succeeds, as it does on a
// file; the next read then fails.
class MemorySource final : public ByteSource {
  public:
    // Keeps its own copy of the bytes.
    explicit MemorySource(std::vector<uint8_t> bytes)
        : owned_(std::move(bytes)), data_(owned_.data()), size_(owned_.size()) {}
    // Reads bytes that the caller keeps unchanged while this source lives.
    MemorySource(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    MemorySource(const MemorySource&) = delete;
    MemorySource& operator=(const MemorySource&) = delete;

    bool Read(void* out, uint32_t size) override;
    bool Seek(uint64_t position) override;
    bool Size(uint64_t* size) override;

  private:
    std::vector<uint8_t> owned_;
    const uint8_t* data_;
    size_t size_;
    uint64_t position_ = 0;
};

// Opens files by path. The package readers open the file anew for every
// operation and keep no handle between them, so they take an opener rather
// than an open source.
class SourceOpener {
  public:
    virtual ~SourceOpener() = default;
    // Null when the file cannot be opened.
    virtual std::unique_ptr<ByteSource> Open(const std::string& path) = 0;
};

// Files held in memory by path, for tests and fuzzing. A source it opens
// reads the stored bytes in place: Add no file anew while one is open.
class MemoryFiles final : public SourceOpener {
  public:
    void Add(const std::string& path, std::vector<uint8_t> bytes) { files_[path] = std::move(bytes); }
    std::unique_ptr<ByteSource> Open(const std::string& path) override;

  private:
    std::map<std::string, std::vector<uint8_t>> files_;
};

}  // namespace tarnwick
