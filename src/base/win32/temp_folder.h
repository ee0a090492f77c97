#pragma once

#include <cstdint>
#include <string>

namespace tarnwick {

// The temporary folder (with its trailing backslash), when it exists.
bool TempFolder(std::string* folder);

// The temporary folder (with its trailing backslash), when it exists and its
// drive has strictly more free bytes than `requiredSize`.
bool TempFolderWithSpace(uint64_t requiredSize, std::string* folder);

}  // namespace tarnwick
