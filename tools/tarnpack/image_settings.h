// What an installer author sets in the launcher's own resources: the
// execution level in its manifest and the texts of its version resource.
// Every field there is written with room to spare (the level followed by
// blanks, a text by blanks or zeros), so a value is written over the old one
// and no byte of the image moves.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/byte_source.h"

namespace tarnpack {

struct ImageSettings {
    std::string executionLevel;  // asInvoker, highestAvailable or requireAdministrator
    std::string productName;     // UTF-8; empty: the launcher's stays
    std::string productVersion;  // starts with 1 to 4 numbers 0-65535 joined by '.'
    std::string description;
    bool Empty() const;
};

// The UTF-16 of a UTF-8 text; throws PackError naming `option` for bytes
// that are no UTF-8 text or a zero.
std::u16string Utf16(const std::string& utf8, const std::string& option);

// Throws PackError for a level Windows does not know or a version that
// does not start with a number.
void CheckSettings(const ImageSettings& settings);

// Rewrites `level="..."` of the manifest's requestedExecutionLevel; throws
// PackError when there is none or the new value does not fit.
void SetExecutionLevel(std::vector<uint8_t>& manifest, const std::string& level);

// Rewrites the texts of a VS_VERSIONINFO resource (ProductName;
// ProductVersion, FileVersion and both binary versions; FileDescription) for
// the settings given; throws PackError when a field is missing or too small.
void SetVersionTexts(std::vector<uint8_t>& version, const ImageSettings& settings);

struct ByteEdit {
    uint64_t offset = 0;
    std::vector<uint8_t> bytes;
};

// The edits of the launcher file that carry out the settings; throws
// PackError when the launcher lacks the resource a setting needs.
std::vector<ByteEdit> LauncherEdits(tarnwick::SourceOpener& files, const std::string& launcher,
                                    const ImageSettings& settings);

}  // namespace tarnpack
