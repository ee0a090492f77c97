// Where the package begins: the end of the PE image's raw section data.
#pragma once

#include <cstdint>

#include "base/byte_source.h"

namespace tarnwick {

// The first section's raw-data pointer plus every section's raw size, as a
// 32-bit sum; 0 when the source is no PE image or cannot be read.
uint32_t ImageSize(ByteSource& file);

}  // namespace tarnwick
