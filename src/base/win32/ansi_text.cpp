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

}  // namespace tarnwick
