// tarnpack --icon over arbitrary bytes, read both as an icon file and as a
// launcher image: nothing crashes; an icon read has 1 to 64 images; a
// rewritten launcher still ends where its sections do, names the new icon
// group, keeps its manifest, and written again comes out the same.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz_check.h"
#include "icon_file.h"
#include "package/pe_image.h"
#include "pack_error.h"
#include "pe_resources.h"
#include "resource_section.h"

namespace {

std::vector<uint8_t> Resource(const std::vector<uint8_t>& image, uint16_t type, uint16_t id) {
    tarnwick::MemorySource source(image.data(), image.size());
    const std::optional<tarnpack::FileSpan> span = tarnpack::FindResource(source, type, id);
    if (!span) return {};
    return std::vector<uint8_t>(image.begin() + static_cast<ptrdiff_t>(span->offset),
                                image.begin() + static_cast<ptrdiff_t>(span->offset + span->size));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> bytes(data, data + size);
    try {
        const std::vector<tarnpack::IconImage> images = tarnpack::ParseIcon(bytes, "fuzz.ico");
        Check(!images.empty() && images.size() <= tarnpack::kMaxIconImages);
        for (const tarnpack::IconImage& image : images) Check(image.entry.size() == 12 && !image.data.empty());
    } catch (const tarnpack::PackError&) {
    }
    const std::vector<tarnpack::IconImage> icon = {{{16, 16, 0, 0, 1, 0, 32, 0, 3, 0, 0, 0}, {1, 2, 3}}};
    std::vector<uint8_t> rewritten;
    try {
        rewritten = tarnpack::ReplaceIcon(bytes, icon, "fuzz.exe");
    } catch (const tarnpack::PackError&) {
        return 0;
    }
    // A launcher the package can follow stays one.
    tarnwick::MemorySource before(bytes.data(), bytes.size()), after(rewritten.data(), rewritten.size());
    Check(tarnwick::ImageSize(before) != size || tarnwick::ImageSize(after) == rewritten.size());
    // Where tarnpack's own lookup finds the manifest, it finds the new icon too.
    const std::vector<uint8_t> manifest = Resource(bytes, tarnpack::kManifestResourceType, 1);
    Check(Resource(rewritten, tarnpack::kManifestResourceType, 1) == manifest);
    const std::vector<uint8_t> group = Resource(rewritten, 14, tarnpack::kIconGroupId);
    Check(manifest.empty() || (group.size() == 6 + 14 && group[4] == 1));
    Check(group.empty() || Resource(rewritten, 3, static_cast<uint16_t>(group[18] | group[19] << 8)) == icon[0].data);
    Check(tarnpack::ReplaceIcon(rewritten, icon, "fuzz.exe") == rewritten);
    return 0;
}
