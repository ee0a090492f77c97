// ImageSize over arbitrary bytes: never crashes, and a non-zero answer
// always comes from a file that starts with "MZ".
#include <cstddef>
#include <cstdint>
#include <vector>

#include "package/pe_image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tarnwick::MemorySource source(std::vector<uint8_t>(data, data + size));
    const uint32_t image = tarnwick::ImageSize(source);
    if (image != 0 && (size < 2 || data[0] != 'M' || data[1] != 'Z')) __builtin_trap();
    return 0;
}
