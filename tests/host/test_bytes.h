// Building binary test inputs: big-endian fields, counted strings and a
// minimal PE image, plus a log that keeps what is written to it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/log_sink.h"

namespace tarnwick::test {

class Bytes {
  public:
    Bytes& u8(uint8_t v) { data_.push_back(v); return *this; }
    Bytes& u16(uint16_t v) { return u8(uint8_t(v >> 8)).u8(uint8_t(v)); }
    Bytes& u32(uint32_t v) { return u16(uint16_t(v >> 16)).u16(uint16_t(v)); }
    Bytes& u64(uint64_t v) { return u32(uint32_t(v >> 32)).u32(uint32_t(v)); }
    Bytes& le16(uint16_t v) { return u8(uint8_t(v)).u8(uint8_t(v >> 8)); }
    Bytes& le32(uint32_t v) { return le16(uint16_t(v)).le16(uint16_t(v >> 16)); }
    Bytes& text(std::string_view s) { data_.insert(data_.end(), s.begin(), s.end()); return *this; }
    Bytes& counted(std::string_view s) { return u16(uint16_t(s.size())).text(s); }
    Bytes& fill(size_t n, uint8_t v = 0) { data_.insert(data_.end(), n, v); return *this; }
    Bytes& padTo(size_t n) { if (data_.size() < n) fill(n - data_.size()); return *this; }
    Bytes& append(const std::vector<uint8_t>& more) { data_.insert(data_.end(), more.begin(), more.end()); return *this; }

    size_t size() const { return data_.size(); }
    const std::vector<uint8_t>& get() const { return data_; }

  private:
    std::vector<uint8_t> data_;
};

// A PE image whose sections' raw data ends at 0x400 + sum(rawSizes): the
// place where a package begins.
inline Bytes MinimalPeImage(const std::vector<uint32_t>& rawSizes = {0x200}) {
    Bytes pe;
    pe.text("MZ").padTo(0x3C).le32(0x40);
    pe.text(std::string("PE\0\0", 4));
    // COFF header: machine, section count, ..., optional header size 0xE0.
    pe.le16(0x14C).le16(uint16_t(rawSizes.size())).fill(12).le16(0xE0).le16(0x102);
    pe.fill(0xE0);
    uint32_t pointer = 0x400;
    for (uint32_t size : rawSizes) {
        pe.text(std::string_view(".sect\0\0\0", 8)).fill(8).le32(size).le32(pointer).fill(16);
        pointer += size;
    }
    pe.padTo(pointer);
    return pe;
}

class MemoryLog final : public LogSink {
  public:
    bool IsOpen() const override { return true; }
    void WriteLine(std::string_view line) override { text.append(line); }
    std::string text;
};

}  // namespace tarnwick::test
