// Just enough of the class-file format to append one class attribute and
// keep the class loadable. A JVM skips class attributes it does not know, so
// the archive's sections travel at the very end of the installer's main
// class and the file still runs as that class.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarnpack {

struct ClassLayout {
    uint16_t constantPoolCount = 0;    // as stored: the index the next constant gets
    size_t constantPoolEnd = 0;        // just past the last constant
    size_t attributesCountOffset = 0;  // of the class's own attributes
    uint16_t attributesCount = 0;
    bool hasNamedAttribute = false;  // a class attribute has the name asked about
};

// True when the bytes start with CA FE BA BE.
bool HasClassMagic(const std::vector<uint8_t>& bytes);

// Walks the whole file with every length checked against what is there.
// Throws PackError, naming the file as `label`, for whatever a JVM would
// reject as malformed: wrong magic, an unknown constant tag, a truncated
// structure, bytes behind the last class attribute.
ClassLayout ParseClassFile(const std::vector<uint8_t>& bytes, std::string_view attributeName,
                           const std::string& label);

// The class up to where the length of a new last class attribute goes: a
// UTF-8 constant `attributeName` added to the pool, the class attribute count
// raised by one and the new attribute's name index behind the old ones. The
// caller appends the 4-byte length and the payload, which then end the file.
// Throws PackError when the pool or the attribute count is full.
std::vector<uint8_t> StartTrailingAttribute(const std::vector<uint8_t>& bytes, const ClassLayout& layout,
                                            std::string_view attributeName, const std::string& label);

}  // namespace tarnpack
