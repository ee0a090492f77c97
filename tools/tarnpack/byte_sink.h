// Where the writers put their bytes: the output file, or the deflater of a
// compressed archive section, so one record writer serves both.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tarnpack {

class ByteSink {
  public:
    virtual ~ByteSink() = default;
    // Takes all the bytes or throws PackError.
    virtual void Write(const uint8_t* data, size_t size) = 0;
    void Write(const std::vector<uint8_t>& bytes) { Write(bytes.data(), bytes.size()); }
};

}  // namespace tarnpack
