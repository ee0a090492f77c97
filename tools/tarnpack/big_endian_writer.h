// Appenders for the big-endian package formats: the counterparts of the
// launcher's readers in ui/big_endian.h.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace tarnpack {

void PutByte(std::vector<uint8_t>& out, uint8_t value);
void PutUInt16(std::vector<uint8_t>& out, uint16_t value);
void PutUInt32(std::vector<uint8_t>& out, uint32_t value);
// High half first, as the readers take it apart.
void PutUInt64(std::vector<uint8_t>& out, uint64_t value);
// A 16-bit length, then the bytes. Throws PackError, naming the text as
// `what`, when it is longer than 65,535 bytes.
void PutCountedString(std::vector<uint8_t>& out, std::string_view text, std::string_view what);

}  // namespace tarnpack
