#include "icon_file.h"

#include "base/byte_order.h"
#include "input_file.h"
#include "pack_error.h"

namespace tarnpack {
namespace {

using tarnwick::LittleEndian16;
using tarnwick::LittleEndian32;

constexpr size_t kHeaderSize = 6;
constexpr size_t kEntrySize = 16;
// Sixty-four images of 256 x 256 at 32 bits with their masks take under 17
// MiB; an icon a setup.exe carries is far smaller.
constexpr uint64_t kMaxIconFile = 16 * 1024 * 1024;

}  // namespace

std::vector<IconImage> ParseIcon(const std::vector<uint8_t>& bytes, const std::string& name) {
    if (bytes.size() < kHeaderSize || LittleEndian16(&bytes[0]) != 0 || LittleEndian16(&bytes[2]) != 1) {
        throw PackError(name + " is no icon file: it does not start with an icon header");
    }
    const size_t count = LittleEndian16(&bytes[4]);
    if (count == 0 || count > kMaxIconImages) {
        throw PackError(name + " holds " + std::to_string(count) + " images; an icon has 1 to 64");
    }
    if (kHeaderSize + count * kEntrySize > bytes.size()) {
        throw PackError(name + " is cut short: its " + std::to_string(count) + " image entries are not all there");
    }
    std::vector<IconImage> images(count);
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* entry = &bytes[kHeaderSize + i * kEntrySize];
        const uint64_t size = LittleEndian32(entry + 8), offset = LittleEndian32(entry + 12);
        if (size == 0 || offset < kHeaderSize + count * kEntrySize || offset + size > bytes.size()) {
            throw PackError(name + ": image " + std::to_string(i + 1) + " (" + std::to_string(size) +
                            " bytes at " + std::to_string(offset) + ") does not lie in the file");
        }
        images[i].entry.assign(entry, entry + 12);
        images[i].data.assign(bytes.begin() + static_cast<ptrdiff_t>(offset),
                              bytes.begin() + static_cast<ptrdiff_t>(offset + size));
    }
    return images;
}

std::vector<IconImage> ReadIconFile(tarnwick::SourceOpener& files, const std::string& path) {
    const InputFile input = MeasureInput(files, path);
    if (input.size > kMaxIconFile) {
        throw PackError(path + " holds " + std::to_string(input.size) + " bytes; an icon file is at most 16 MiB");
    }
    const std::vector<uint8_t> bytes = ReadHead(files, input, static_cast<uint32_t>(input.size));
    if (bytes.size() != input.size) throw PackError("cannot read " + path);
    return ParseIcon(bytes, path);
}

}  // namespace tarnpack
