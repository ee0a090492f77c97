// A compressed archive section holds one raw DEFLATE stream (no zlib or gzip
// wrapper). It is collected in memory: its size goes into the section header
// in front of it.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "byte_sink.h"

struct z_stream_s;

namespace tarnpack {

class RawDeflater final : public ByteSink {
  public:
    RawDeflater();
    ~RawDeflater() override;
    RawDeflater(const RawDeflater&) = delete;
    RawDeflater& operator=(const RawDeflater&) = delete;

    using ByteSink::Write;
    void Write(const uint8_t* data, size_t size) override;
    // Ends the stream and hands over the compressed bytes.
    std::vector<uint8_t> Finish();

  private:
    void Deflate(int flush);

    std::unique_ptr<z_stream_s> stream_;
    std::vector<uint8_t> out_;
};

}  // namespace tarnpack
