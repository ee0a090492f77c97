// An icon file (.ico) as tarnpack reads it: the header, one 16-byte entry
// per image, and the images themselves, which go unchanged into the
// launcher's RT_ICON resources.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/byte_source.h"

namespace tarnpack {

// Windows shows no more images of one icon than that.
inline constexpr size_t kMaxIconImages = 64;

struct IconImage {
    // The entry's first 12 bytes (width, height, colours, reserved, planes,
    // bit count, byte count), which the icon group repeats.
    std::vector<uint8_t> entry;
    std::vector<uint8_t> data;
};

// The images of `bytes`; throws PackError naming `name` for a bad header,
// no images or more than kMaxIconImages, or an image that does not lie
// wholly in the file.
std::vector<IconImage> ParseIcon(const std::vector<uint8_t>& bytes, const std::string& name);

// The same for the file at `path` (at most 16 MiB).
std::vector<IconImage> ReadIconFile(tarnwick::SourceOpener& files, const std::string& path);

}  // namespace tarnpack
