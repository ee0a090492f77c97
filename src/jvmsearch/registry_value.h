// Registry values as the search reads them: whatever the value's type, its
// bytes are taken as text.
#pragma once

#include <cstddef>
#include <string>

namespace tarnwick {

// The text RegQueryValueEx left in a buffer of `capacity` bytes, of which it
// reported `size` filled: up to the first NUL, never past the buffer, since
// a binary value may fill it without one.
std::string RegistryValueText(const char* buffer, size_t size, size_t capacity);

}  // namespace tarnwick
