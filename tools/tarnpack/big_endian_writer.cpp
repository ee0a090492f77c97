#include "big_endian_writer.h"

#include <string>

#include "pack_error.h"

namespace tarnpack {

void PutByte(std::vector<uint8_t>& out, uint8_t value) {
    out.push_back(value);
}

void PutUInt16(std::vector<uint8_t>& out, uint16_t value) {
    out.push_back(static_cast<uint8_t>(value >> 8));
    out.push_back(static_cast<uint8_t>(value));
}

void PutUInt32(std::vector<uint8_t>& out, uint32_t value) {
    PutUInt16(out, static_cast<uint16_t>(value >> 16));
    PutUInt16(out, static_cast<uint16_t>(value));
}

void PutUInt64(std::vector<uint8_t>& out, uint64_t value) {
    PutUInt32(out, static_cast<uint32_t>(value >> 32));
    PutUInt32(out, static_cast<uint32_t>(value));
}

void PutCountedString(std::vector<uint8_t>& out, std::string_view text, std::string_view what) {
    if (text.size() > 0xFFFF) {
        throw PackError(std::string(what) + " is " + std::to_string(text.size()) +
                        " bytes long; at most 65535 fit");
    }
    PutUInt16(out, static_cast<uint16_t>(text.size()));
    out.insert(out.end(), text.begin(), text.end());
}

}  // namespace tarnpack
