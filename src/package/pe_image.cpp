#include "package/pe_image.h"

#include "base/byte_order.h"

namespace tarnwick {

uint32_t ImageSize(ByteSource& file) {
    uint8_t dos[64];
    if (!file.Seek(0) || !file.Read(dos, sizeof dos)) return 0;
    if (LittleEndian16(dos) != 0x5A4D) return 0;  // "MZ"

    const uint32_t peOffset = LittleEndian32(dos + 0x3C);
    uint8_t signature[4];
    if (!file.Seek(peOffset) || !file.Read(signature, sizeof signature)) return 0;
    if (signature[0] != 'P' || signature[1] != 'E' || signature[2] != 0 || signature[3] != 0) {
        return 0;
    }

    uint8_t coff[20];
    if (!file.Read(coff, sizeof coff)) return 0;
    const uint16_t sectionCount = LittleEndian16(coff + 2);
    const uint16_t optionalHeaderSize = LittleEndian16(coff + 16);
    if (sectionCount == 0) return 0;
    if (!file.Seek(uint64_t{peOffset} + 4 + sizeof coff + optionalHeaderSize)) return 0;

    uint32_t end = 0;
    for (uint16_t i = 0; i < sectionCount; ++i) {
        uint8_t header[40];
        if (!file.Read(header, sizeof header)) return 0;
        if (i == 0) end = LittleEndian32(header + 20);  // PointerToRawData
        end += LittleEndian32(header + 16);             // SizeOfRawData
    }
    return end;
}

}  // namespace tarnwick
