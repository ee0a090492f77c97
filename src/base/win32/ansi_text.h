// Conversions between the user's ANSI code page and UTF-16.
#pragma once

#include <string>

namespace tarnwick {

std::string ToAnsi(const std::u16string& text);
std::u16string FromAnsi(const std::string& text);

// A UTF-8 text in the user's ANSI code page; false when it is no UTF-8 or
// a character of it has no place in the code page.
bool Utf8ToAnsi(const std::string& utf8, std::string* ansi);
// True for the first byte of a double-byte character of the code page.
bool IsAnsiLeadByte(unsigned char byte);

}  // namespace tarnwick
