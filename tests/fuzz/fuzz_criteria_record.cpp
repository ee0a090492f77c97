// The criteria record of package section 3 over arbitrary bytes: the text
// is the start of the counted bytes, holds no zero byte and never reaches
// past the record or its stored length.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "package/criteria_record.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> record(data, data + size);
    const std::string text = tarnwick::CriteriaFromRecord(record);
    if (size < 2) {
        Check(text.empty());
        return 0;
    }
    const size_t stored = size_t{data[0]} << 8 | data[1];
    Check(text.size() <= stored && text.size() <= size - 2);
    Check(text.find('\0') == std::string::npos);
    Check(text.compare(0, text.size(), reinterpret_cast<const char*>(data + 2), text.size()) == 0);
    // It stops early only at a zero byte.
    if (text.size() < stored && text.size() < size - 2) Check(data[2 + text.size()] == 0);
    return 0;
}
