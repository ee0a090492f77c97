// Conversions between the user's ANSI code page and UTF-16, and paths the
// 8-bit API can take whatever the user's name or folders are called.
#pragma once

#include <string>

namespace tarnwick {

std::string ToAnsi(const std::u16string& text);
std::u16string FromAnsi(const std::string& text);

// A path the 8-bit API opens as the same file: the path itself where the
// user's code page holds every character of it, else its short (8.3) form.
// False when neither does: the file is not there, or its volume keeps no
// short names.
bool AnsiPath(const std::wstring& path, std::string* ansi);

// A variable's value that may be a ';'-separated list of paths: each entry as
// AnsiPath gives it, or converted as well as the code page allows where it
// cannot (such an entry names no file, as before).
std::string AnsiPathList(const std::wstring& list);

// A UTF-8 text in the user's ANSI code page; false when it is no UTF-8 or
// a character of it has no place in the code page.
bool Utf8ToAnsi(const std::string& utf8, std::string* ansi);
// True for the first byte of a double-byte character of the code page.
bool IsAnsiLeadByte(unsigned char byte);

}  // namespace tarnwick
