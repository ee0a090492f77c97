#include "jvmsearch/registry_value.h"

#include <algorithm>
#include <cstring>

namespace tarnwick {

std::string RegistryValueText(const char* buffer, size_t size, size_t capacity) {
    const size_t filled = std::min(size, capacity);
    return std::string(buffer, strnlen(buffer, filled));
}

}  // namespace tarnwick
