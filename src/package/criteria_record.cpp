#include "package/criteria_record.h"

#include <algorithm>

#include "base/byte_order.h"

namespace tarnwick {

std::string CriteriaFromRecord(const std::vector<uint8_t>& data) {
    if (data.size() < 2) return std::string();
    const size_t stored = size_t{BigEndian16(data.data())};
    const size_t limit = std::min(stored, data.size() - 2);
    size_t length = 0;
    while (length < limit && data[2 + length] != 0) ++length;
    return std::string(reinterpret_cast<const char*>(data.data() + 2), length);
}

}  // namespace tarnwick
