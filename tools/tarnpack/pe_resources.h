// Where a resource of a PE image lies in its file: tarnpack rewrites the
// launcher's manifest and version resource in place, so it must find their
// bytes without moving any.
#pragma once

#include <cstdint>
#include <optional>

#include "base/byte_source.h"

namespace tarnpack {

inline constexpr uint16_t kVersionResourceType = 16;   // RT_VERSION
inline constexpr uint16_t kManifestResourceType = 24;  // RT_MANIFEST

struct FileSpan {
    uint64_t offset = 0;
    uint32_t size = 0;
};

// The file bytes of the resource of numeric `type` and `id` (its first
// language), found through the PE's resource directory; nothing when the
// file is no PE image, has no such resource, or the resource's bytes do not
// all lie in one section's raw data and in the file. Reads only what the
// lookup needs: a few headers and the directory entries up to the ones it
// looks for.
std::optional<FileSpan> FindResource(tarnwick::ByteSource& file, uint16_t type, uint16_t id);

}  // namespace tarnpack
