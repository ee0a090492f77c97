#include "pe_resources.h"

#include <vector>

#include "base/byte_order.h"

namespace tarnpack {
namespace {

using tarnwick::LittleEndian16;
using tarnwick::LittleEndian32;

constexpr uint32_t kSubdirectory = 0x80000000u;

struct Section {
    uint32_t virtualAddress = 0;
    uint32_t virtualSize = 0;
    uint32_t rawSize = 0;
    uint32_t rawPointer = 0;
};

struct Image {
    uint32_t resourceRva = 0;
    std::vector<Section> sections;
};

bool ReadAt(tarnwick::ByteSource& file, uint64_t position, void* out, uint32_t size) {
    return file.Seek(position) && file.Read(out, size);
}

std::optional<Image> ReadHeaders(tarnwick::ByteSource& file) {
    uint8_t dos[64];
    if (!ReadAt(file, 0, dos, sizeof dos) || LittleEndian16(dos) != 0x5A4D) return std::nullopt;  // "MZ"
    const uint64_t pe = LittleEndian32(dos + 0x3C);
    uint8_t header[24];  // signature and COFF header
    if (!ReadAt(file, pe, header, sizeof header)) return std::nullopt;
    if (LittleEndian32(header) != 0x00004550) return std::nullopt;  // "PE\0\0"
    const uint16_t sectionCount = LittleEndian16(header + 6);
    const uint16_t optionalSize = LittleEndian16(header + 20);

    // The data directories follow the fixed fields, which PE32+ has longer.
    uint8_t magic[2];
    if (!ReadAt(file, pe + 24, magic, sizeof magic)) return std::nullopt;
    const uint32_t directories = LittleEndian16(magic) == 0x20B ? 112 : LittleEndian16(magic) == 0x10B ? 96 : 0;
    if (directories == 0 || optionalSize < directories + 3 * 8) return std::nullopt;
    uint8_t countField[4], resourceEntry[8];
    if (!ReadAt(file, pe + 24 + directories - 4, countField, 4) || LittleEndian32(countField) < 3 ||
        !ReadAt(file, pe + 24 + directories + 2 * 8, resourceEntry, 8)) {
        return std::nullopt;
    }
    Image image;
    image.resourceRva = LittleEndian32(resourceEntry);
    if (image.resourceRva == 0) return std::nullopt;

    if (!file.Seek(pe + 24 + optionalSize)) return std::nullopt;
    for (uint16_t i = 0; i < sectionCount; ++i) {
        uint8_t entry[40];
        if (!file.Read(entry, sizeof entry)) return std::nullopt;
        image.sections.push_back({LittleEndian32(entry + 12), LittleEndian32(entry + 8), LittleEndian32(entry + 16),
                                  LittleEndian32(entry + 20)});
    }
    return image;
}

// The file position of `size` bytes at `rva`, when all of them are in one
// section's raw data.
std::optional<uint64_t> FilePosition(const Image& image, uint32_t rva, uint32_t size) {
    for (const Section& section : image.sections) {
        if (rva < section.virtualAddress) continue;
        const uint64_t inSection = rva - section.virtualAddress;
        if (inSection + size <= section.rawSize) return uint64_t{section.rawPointer} + inSection;
    }
    return std::nullopt;
}

// The entry of `id` in the directory at `directory` (an offset in the
// resource data); for id 0 the first numbered entry, whatever its id.
std::optional<uint32_t> FindEntry(tarnwick::ByteSource& file, uint64_t resources, uint32_t directory, uint16_t id) {
    uint8_t header[16];
    if (!ReadAt(file, resources + directory, header, sizeof header)) return std::nullopt;
    const uint32_t named = LittleEndian16(header + 12);
    const uint32_t numbered = LittleEndian16(header + 14);
    if (!file.Seek(resources + directory + 16 + 8 * uint64_t{named})) return std::nullopt;
    for (uint32_t i = 0; i < numbered; ++i) {
        uint8_t entry[8];
        if (!file.Read(entry, sizeof entry)) return std::nullopt;
        if (id == 0 || LittleEndian32(entry) == id) return LittleEndian32(entry + 4);
    }
    return std::nullopt;
}

}  // namespace

std::optional<FileSpan> FindResource(tarnwick::ByteSource& file, uint16_t type, uint16_t id) {
    const std::optional<Image> image = ReadHeaders(file);
    if (!image) return std::nullopt;
    // The directory's own size is not trusted; each read is bounded by the file.
    const std::optional<uint64_t> resources = FilePosition(*image, image->resourceRva, 16);
    if (!resources) return std::nullopt;

    // Type, then name, then language: two subdirectories, then a data entry.
    std::optional<uint32_t> entry = FindEntry(file, *resources, 0, type);
    if (!entry || !(*entry & kSubdirectory)) return std::nullopt;
    entry = FindEntry(file, *resources, *entry & ~kSubdirectory, id);
    if (!entry || !(*entry & kSubdirectory)) return std::nullopt;
    entry = FindEntry(file, *resources, *entry & ~kSubdirectory, 0);
    if (!entry || (*entry & kSubdirectory)) return std::nullopt;

    uint8_t data[8];  // RVA and size of the bytes
    if (!ReadAt(file, *resources + *entry, data, sizeof data)) return std::nullopt;
    const uint32_t size = LittleEndian32(data + 4);
    const std::optional<uint64_t> position = FilePosition(*image, LittleEndian32(data), size);
    uint64_t fileSize = 0;
    if (!position || !file.Size(&fileSize) || *position + size > fileSize) return std::nullopt;
    return FileSpan{*position, size};
}

}  // namespace tarnpack
