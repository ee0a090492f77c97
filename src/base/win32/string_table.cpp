#include "base/win32/string_table.h"

#include <windows.h>

#include <vector>

#include "base/win32/own_module.h"

namespace tarnwick {

std::string LoadText(int id, int capacity) {
    std::vector<char> buffer(static_cast<size_t>(capacity), '\0');
    const int length = ::LoadStringA(OwnModule(), static_cast<UINT>(id), buffer.data(), capacity);
    return std::string(buffer.data(), length > 0 ? static_cast<size_t>(length) : 0);
}

void ShowErrorBox(HWND owner, int textId, const std::string& caption) {
    ::MessageBoxA(owner, LoadText(textId).c_str(), caption.c_str(),
                  MB_OK | MB_ICONERROR);
}

}  // namespace tarnwick
