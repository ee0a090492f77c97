// Conversions between the user's ANSI code page and UTF-16.
#pragma once

#include <string>

namespace tarnwick {

std::string ToAnsi(const std::u16string& text);
std::u16string FromAnsi(const std::string& text);

}  // namespace tarnwick
