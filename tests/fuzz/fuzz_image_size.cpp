// ImageSize over arbitrary bytes: never crashes, and a non-zero answer
// always comes from a file that starts with "MZ".
#include <cstddef>
#include <cstdint>

#include "fuzz_check.h"
#include "package/pe_image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tarnwick::MemorySource source(data, size);
    const uint32_t image = tarnwick::ImageSize(source);
    Check(image == 0 || (size >= 2 && data[0] == 'M' && data[1] == 'Z'));
    return 0;
}
