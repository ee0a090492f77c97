// tarnpack's class-file walker over arbitrary bytes: it accepts or refuses
// with a PackError, never anything else; and a class it accepts, given the
// trailing attribute, is accepted again with that attribute found last.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "big_endian_writer.h"
#include "class_file.h"
#include "fuzz_check.h"
#include "pack_error.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tarnpack;
    const std::vector<uint8_t> bytes(data, data + size);
    ClassLayout layout;
    try {
        layout = ParseClassFile(bytes, "TarnwickResources", "in");
    } catch (const PackError&) {
        return 0;
    }
    Check(HasClassMagic(bytes) && layout.constantPoolEnd <= layout.attributesCountOffset &&
          layout.attributesCountOffset + 2 <= size);
    std::vector<uint8_t> out;
    try {
        out = StartTrailingAttribute(bytes, layout, "TarnwickResources", "in");
    } catch (const PackError&) {
        Check(layout.constantPoolCount == 0xFFFF || layout.attributesCount == 0xFFFF);
        return 0;
    }
    PutUInt32(out, 3);
    out.insert(out.end(), {1, 2, 3});
    const ClassLayout again = ParseClassFile(out, "TarnwickResources", "out");
    Check(again.hasNamedAttribute && again.attributesCount == layout.attributesCount + 1 &&
          again.constantPoolCount == layout.constantPoolCount + 1);
    return 0;
}
