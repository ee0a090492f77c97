// Big-endian readers for the package formats: integers and counted strings
// (a 16-bit length, then that many bytes, no terminator). Each returns false
// when the bytes are not all there and then leaves its output untouched.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "base/byte_source.h"

namespace tarnwick {

// A 64-bit value as the package stores it: the first four bytes are the high half.
struct UInt64Halves {
    uint32_t low = 0;
    uint32_t high = 0;
};

// From a source, at its current position, which they advance.
bool ReadByte(ByteSource& source, uint8_t* value);
bool ReadUInt16(ByteSource& source, uint16_t* value);
bool ReadUInt32(ByteSource& source, uint32_t* value);
bool ReadUInt64(ByteSource& source, UInt64Halves* value);
// The text ends at the first zero byte among the counted bytes. `length`,
// when given, receives the stored length: the bytes the string occupies
// after its 2-byte length, whatever the text.
bool ReadCountedString(ByteSource& source, std::string* value, uint16_t* length = nullptr);

// From a buffer of `available` bytes. These check the length too: a counted
// string may claim more bytes than the buffer holds.
bool ReadUInt16(const uint8_t* data, size_t available, uint16_t* value);
bool ReadCountedString(const uint8_t* data, size_t available, std::string* value);

}  // namespace tarnwick
