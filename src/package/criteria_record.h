#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarnwick {

// The criteria text of package section 3: a 16-bit big-endian length T, then
// T bytes of text. The text ends early at a zero byte and never reaches past
// the data; data shorter than 2 bytes gives an empty text.
std::string CriteriaFromRecord(const std::vector<uint8_t>& data);

}  // namespace tarnwick
