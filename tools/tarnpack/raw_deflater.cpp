#define ZLIB_CONST
#include "raw_deflater.h"

#include <zlib.h>

#include <algorithm>

#include "pack_error.h"

namespace tarnpack {
namespace {

constexpr size_t kChunk = 64 * 1024;
// Negative window bits: zlib writes raw DEFLATE without header or checksum.
constexpr int kRawWindowBits = -15;

}  // namespace

RawDeflater::RawDeflater() : stream_(std::make_unique<z_stream>()) {
    if (deflateInit2(stream_.get(), Z_BEST_COMPRESSION, Z_DEFLATED, kRawWindowBits, 8, Z_DEFAULT_STRATEGY) !=
        Z_OK) {
        throw PackError("cannot start the compressor (zlib)");
    }
}

RawDeflater::~RawDeflater() {
    deflateEnd(stream_.get());
}

void RawDeflater::Write(const uint8_t* data, size_t size) {
    while (size != 0) {
        // avail_in is 32-bit: hand larger buffers over in pieces.
        const size_t piece = std::min<size_t>(size, 1u << 30);
        stream_->next_in = data;
        stream_->avail_in = static_cast<uInt>(piece);
        Deflate(Z_NO_FLUSH);
        data += piece;
        size -= piece;
    }
}

std::vector<uint8_t> RawDeflater::Finish() {
    stream_->next_in = nullptr;
    stream_->avail_in = 0;
    Deflate(Z_FINISH);
    return std::move(out_);
}

void RawDeflater::Deflate(int flush) {
    for (;;) {
        const size_t before = out_.size();
        out_.resize(before + kChunk);
        stream_->next_out = out_.data() + before;
        stream_->avail_out = static_cast<uInt>(kChunk);
        const int result = deflate(stream_.get(), flush);
        out_.resize(before + kChunk - stream_->avail_out);
        if (result == Z_STREAM_END) return;
        // Z_BUF_ERROR only says no progress was possible: all input taken.
        const bool stalled = result == Z_BUF_ERROR && flush != Z_FINISH;
        if (result != Z_OK && !stalled) throw PackError("compression failed (zlib)");
        // With room left over, zlib has taken all the input it was given.
        if (flush != Z_FINISH && stream_->avail_out != 0) return;
    }
}

}  // namespace tarnpack
