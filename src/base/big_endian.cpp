#include "base/big_endian.h"

#include <vector>

#include "base/byte_order.h"

namespace tarnwick {
namespace {

std::string UpToFirstZero(const uint8_t* bytes, size_t size) {
    size_t length = 0;
    while (length < size && bytes[length] != 0) ++length;
    return std::string(reinterpret_cast<const char*>(bytes), length);
}

}  // namespace

bool ReadByte(ByteSource& source, uint8_t* value) {
    return source.Read(value, 1);
}

bool ReadUInt16(ByteSource& source, uint16_t* value) {
    uint8_t b[2];
    if (!source.Read(b, sizeof b)) return false;
    *value = BigEndian16(b);
    return true;
}

bool ReadUInt32(ByteSource& source, uint32_t* value) {
    uint8_t b[4];
    if (!source.Read(b, sizeof b)) return false;
    *value = BigEndian32(b);
    return true;
}

bool ReadUInt64(ByteSource& source, UInt64Halves* value) {
    uint8_t b[8];
    if (!source.Read(b, sizeof b)) return false;
    value->high = BigEndian32(b);
    value->low = BigEndian32(b + 4);
    return true;
}

bool ReadCountedString(ByteSource& source, std::string* value, uint16_t* storedLength) {
    uint16_t length = 0;
    if (!ReadUInt16(source, &length)) return false;
    std::vector<uint8_t> bytes(length);
    if (!source.Read(bytes.data(), length)) return false;
    *value = UpToFirstZero(bytes.data(), bytes.size());
    if (storedLength != nullptr) *storedLength = length;
    return true;
}

bool ReadUInt16(const uint8_t* data, size_t available, uint16_t* value) {
    if (available < 2) return false;
    *value = BigEndian16(data);
    return true;
}

bool ReadCountedString(const uint8_t* data, size_t available, std::string* value) {
    uint16_t length = 0;
    if (!ReadUInt16(data, available, &length)) return false;
    if (available - 2 < length) return false;
    *value = UpToFirstZero(data + 2, length);
    return true;
}

}  // namespace tarnwick
