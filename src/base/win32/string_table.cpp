#include "base/win32/string_table.h"

#include <windows.h>

#include "base/win32/ansi_text.h"
#include "base/win32/own_module.h"

namespace tarnwick {

// Read through kernel32's resource calls rather than LoadStringA, which lives
// in user32: a run that shows no window then never loads user32 and gdi32,
// whose start-up (a desktop, an input method, a theme under Wine) is most of
// what a silent run costs beyond its JVM runs. The resource is found the
// same way, so the user's language is the same.
std::string LoadText(int id, int capacity) {
    const HMODULE module = OwnModule();
    // Texts are kept in blocks of 16, each text its length and its UTF-16
    // characters.
    const HRSRC block = ::FindResourceW(module, MAKEINTRESOURCEW((static_cast<UINT>(id) >> 4) + 1),
                                        MAKEINTRESOURCEW(6));  // RT_STRING
    const HGLOBAL loaded = block != nullptr ? ::LoadResource(module, block) : nullptr;
    const auto* table = loaded != nullptr ? static_cast<const char16_t*>(::LockResource(loaded)) : nullptr;
    if (table == nullptr) return std::string();
    const size_t size = ::SizeofResource(module, block) / sizeof(char16_t);
    size_t at = 0;
    for (int skip = id & 15; skip > 0 && at < size; --skip) at += 1 + size_t{table[at]};
    if (at >= size || table[at] == 0 || table[at] > size - at - 1) return std::string();
    const std::string text = ToAnsi(std::u16string(table + at + 1, table[at]));
    // Cut to one byte less than the buffer, as LoadStringA does, and never
    // inside a double-byte character.
    size_t length = 0;
    while (length < text.size()) {
        const size_t next = length + (IsAnsiLeadByte(static_cast<unsigned char>(text[length])) ? 2 : 1);
        if (next > static_cast<size_t>(capacity - 1)) break;
        length = next;
    }
    return text.substr(0, length);
}

void ShowErrorBox(HWND owner, int textId, const std::string& caption) {
    ::MessageBoxA(owner, LoadText(textId).c_str(), caption.c_str(),
                  MB_OK | MB_ICONERROR);
}

}  // namespace tarnwick
