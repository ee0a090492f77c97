#include "base/win32/ansi_text.h"

#include <windows.h>

#include <utility>
#include <vector>

namespace tarnwick {
namespace {

std::string Narrow(const wchar_t* wide, int length) {
    if (length <= 0) return std::string();
    const int size = ::WideCharToMultiByte(CP_ACP, 0, wide, length, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return std::string();
    std::string out(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, wide, length, &out[0], size, nullptr, nullptr);
    return out;
}

std::wstring Widen(const std::string& text) {
    if (text.empty()) return std::wstring();
    const int length = static_cast<int>(text.size());
    const int size = ::MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
    if (size <= 0) return std::wstring();
    std::wstring out(static_cast<size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text.data(), length, &out[0], size);
    return out;
}

// Exact when the text comes back unchanged: a character the code page lacks
// turns into '?' or a look-alike on the way (in any code page, UTF-8 too).
bool ExactAnsi(const std::wstring& text, std::string* ansi) {
    *ansi = Narrow(text.data(), static_cast<int>(text.size()));
    return Widen(*ansi) == text;
}

}  // namespace

std::string ToAnsi(const std::u16string& text) {
    return Narrow(reinterpret_cast<const wchar_t*>(text.data()), static_cast<int>(text.size()));
}

std::u16string FromAnsi(const std::string& text) {
    const std::wstring wide = Widen(text);
    return std::u16string(wide.begin(), wide.end());
}

bool AnsiPath(const std::wstring& path, std::string* ansi) {
    if (ExactAnsi(path, ansi)) return true;
    const DWORD size = ::GetShortPathNameW(path.c_str(), nullptr, 0);
    if (size != 0) {
        std::vector<wchar_t> shortPath(size);
        const DWORD length = ::GetShortPathNameW(path.c_str(), shortPath.data(), size);
        return length != 0 && length < size && ExactAnsi(std::wstring(shortPath.data(), length), ansi);
    }
    // A file yet to be made (a log) has no short name: its folder's, then
    // its own name, which must convert as it is.
    const size_t slash = path.find_last_of(L"\\/");
    std::string folder, name;
    if (slash == std::wstring::npos || slash == 0 || !ExactAnsi(path.substr(slash), &name) ||
        !AnsiPath(path.substr(0, slash), &folder)) {
        return false;
    }
    *ansi = folder + name;
    return true;
}

std::string AnsiPathList(const std::wstring& list) {
    std::string out;
    for (size_t start = 0;;) {
        const size_t end = list.find(L';', start);
        const std::wstring entry = list.substr(start, end == std::wstring::npos ? end : end - start);
        std::string ansi;
        out += AnsiPath(entry, &ansi) ? ansi : Narrow(entry.data(), static_cast<int>(entry.size()));
        if (end == std::wstring::npos) return out;
        out += ';';
        start = end + 1;
    }
}

bool Utf8ToAnsi(const std::string& utf8, std::string* ansi) {
    ansi->clear();
    const int length = static_cast<int>(utf8.size());
    const int units = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), length, nullptr, 0);
    if (units <= 0) return false;
    std::wstring wide(static_cast<size_t>(units), L'\0');
    ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), length, &wide[0], units);
    // A character the code page lacks must not turn into a look-alike or a
    // question mark.
    std::string converted;
    if (!ExactAnsi(wide, &converted)) return false;
    *ansi = std::move(converted);
    return true;
}

bool IsAnsiLeadByte(unsigned char byte) { return ::IsDBCSLeadByte(byte) != FALSE; }

}  // namespace tarnwick
