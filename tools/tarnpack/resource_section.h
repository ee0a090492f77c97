// The launcher's icon replaced by an installer author's: tarnpack reads the
// image's whole resource directory, swaps icon group 128 and the images it
// names for the icon file's, and writes the resource section anew. Every
// other resource (manifest, version, dialogs, texts) keeps its bytes.
//
// The new section may be longer or shorter than the old one, so it must be
// the image's last, or be followed only by the base relocations, which
// nothing but their data directory points to and which move behind it
// unchanged. The image stays valid: section addresses and SizeOfImage
// follow the new size, the resource and relocation directories their
// sections, and a checksum that was set is computed anew. Nothing lies
// behind the last section, where the package goes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "icon_file.h"

namespace tarnpack {

inline constexpr uint16_t kIconGroupId = 128;

// The launcher image `image` (named `name` in errors) with its icon group
// 128 made of `icon`; throws PackError when it is no PE image, its resource
// directory is damaged, it has no icon group 128, something but the base
// relocations follows its resource section, or bytes lie behind its image.
std::vector<uint8_t> ReplaceIcon(const std::vector<uint8_t>& image, const std::vector<IconImage>& icon,
                                 const std::string& name);

}  // namespace tarnpack
