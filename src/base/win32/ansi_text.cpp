#include "base/win32/ansi_text.h"

#include <windows.h>

namespace tarnwick {

std::string ToAnsi(const std::u16string& text) {
    if (text.empty()) return std::string();
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    const int length = static_cast<int>(text.size());
    const int size = ::WideCharToMultiByte(CP_ACP, 0, wide, length, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return std::string();
    std::string out(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, wide, length, &out[0], size, nullptr, nullptr);
    return out;
}

std::u16string FromAnsi(const std::string& text) {
    if (text.empty()) return std::u16string();
    const int length = static_cast<int>(text.size());
    const int size = ::MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
    if (size <= 0) return std::u16string();
    std::u16string out(static_cast<size_t>(size), u'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text.data(), length, reinterpret_cast<wchar_t*>(&out[0]), size);
    return out;
}

bool Utf8ToAnsi(const std::string& utf8, std::string* ansi) {
    ansi->clear();
    const int length = static_cast<int>(utf8.size());
    const int units = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), length, nullptr, 0);
    if (units <= 0) return false;
    std::wstring wide(static_cast<size_t>(units), L'\0');
    ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), length, &wide[0], units);
    // No best fit: a character the code page lacks must not turn into a
    // look-alike or a question mark.
    BOOL defaulted = FALSE;
    const int size = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), units, nullptr, 0, nullptr,
                                           &defaulted);
    if (size <= 0 || defaulted) return false;
    ansi->assign(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), units, &(*ansi)[0], size, nullptr, &defaulted);
    return !defaulted;
}

bool IsAnsiLeadByte(unsigned char byte) { return ::IsDBCSLeadByte(byte) != FALSE; }

}  // namespace tarnwick
