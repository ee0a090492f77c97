// tarnpack's resource lookup and in-place settings over arbitrary bytes:
// never crashes, a found resource lies inside the file, and the settings
// never change a length.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz_check.h"
#include "image_settings.h"
#include "pack_error.h"
#include "pe_resources.h"

namespace {

// Applies one setting to a copy; the bytes keep their length either way.
template <typename Apply>
void Try(const std::vector<uint8_t>& bytes, Apply apply) {
    std::vector<uint8_t> copy = bytes;
    try {
        apply(copy);
    } catch (const tarnpack::PackError&) {
    }
    Check(copy.size() == bytes.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> bytes(data, data + size);
    for (const uint16_t type : {tarnpack::kManifestResourceType, tarnpack::kVersionResourceType}) {
        tarnwick::MemorySource source(bytes);
        const std::optional<tarnpack::FileSpan> span = tarnpack::FindResource(source, type, 1);
        Check(!span || span->offset + span->size <= size);
    }
    // The same bytes as a manifest and as a version resource.
    Try(bytes, [](std::vector<uint8_t>& b) { tarnpack::SetExecutionLevel(b, "asInvoker"); });
    Try(bytes, [](std::vector<uint8_t>& b) {
        tarnpack::ImageSettings settings;
        settings.productName = "Product \xC3\xA9\xF0\x9F\x98\x80";
        settings.productVersion = "2.1.0.7 beta";
        settings.description = "Setup";
        tarnpack::SetVersionTexts(b, settings);
    });
    return 0;
}
