// A readable, seekable run of bytes: a file on Windows, a host file in the
// packer, memory in tests. The package readers are written against this so
// they never see a HANDLE.
#pragma once

#include <cstdint>
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
    explicit MemorySource(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}

    bool Read(void* out, uint32_t size) override;
    bool Seek(uint64_t position) override;
    bool Size(uint64_t* size) override;

  private:
    std::vector<uint8_t> bytes_;
    uint64_t position_ = 0;
};

}  // namespace tarnwick
