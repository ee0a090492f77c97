// Fixed-size integers decoded from bytes: little-endian for the PE headers,
// big-endian for the package formats.
#pragma once

#include <cstdint>

namespace tarnwick {

inline uint16_t LittleEndian16(const uint8_t* b) {
    return static_cast<uint16_t>(b[0] | (b[1] << 8));
}

inline uint32_t LittleEndian32(const uint8_t* b) {
    return static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
           (static_cast<uint32_t>(b[2]) << 16) | (static_cast<uint32_t>(b[3]) << 24);
}

inline uint16_t BigEndian16(const uint8_t* b) {
    return static_cast<uint16_t>((b[0] << 8) | b[1]);
}

inline uint32_t BigEndian32(const uint8_t* b) {
    return (static_cast<uint32_t>(b[0]) << 24) | (static_cast<uint32_t>(b[1]) << 16) |
           (static_cast<uint32_t>(b[2]) << 8) | b[3];
}

}  // namespace tarnwick
