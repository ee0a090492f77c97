// Host files behind the launcher's ByteSource interface, so the packer reads
// its inputs, and `tarnpack list` reads packages, the way the launcher does.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "base/byte_source.h"

namespace tarnpack {

// Owns an open FILE*. Positions are 64-bit: inputs may be larger than the
// packer is willing to pack, and it must see that to refuse them.
class HostFileSource final : public tarnwick::ByteSource {
  public:
    explicit HostFileSource(std::FILE* file) : file_(file) {}
    ~HostFileSource() override;
    HostFileSource(const HostFileSource&) = delete;
    HostFileSource& operator=(const HostFileSource&) = delete;

    bool Read(void* out, uint32_t size) override;
    bool Seek(uint64_t position) override;
    bool Size(uint64_t* size) override;

  private:
    std::FILE* file_;
};

class HostFiles final : public tarnwick::SourceOpener {
  public:
    // Null for a missing file and for a folder (which fopen would open).
    std::unique_ptr<tarnwick::ByteSource> Open(const std::string& path) override;
};

}  // namespace tarnpack
