#include "run_folder.h"

#include <windows.h>

namespace tarnwick {

bool RunFolder::Create() {
    wchar_t temp[MAX_PATH + 1] = {};
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, temp);
    if (length == 0 || length > MAX_PATH) return false;
    // Process id and tick count make the name; a clash (an old folder left
    // by a killed run) just tries the next number.
    const DWORD base = ::GetTickCount();
    for (DWORD attempt = 0; attempt < 100; ++attempt) {
        wchar_t name[64];
        wsprintfW(name, L"jvm-bridge-%lu-%lu", ::GetCurrentProcessId(), base + attempt);
        const std::wstring path = std::wstring(temp) + name;
        if (::CreateDirectoryW(path.c_str(), nullptr)) {
            path_ = path;
            return true;
        }
        if (::GetLastError() != ERROR_ALREADY_EXISTS) return false;
    }
    return false;
}

RunFolder::~RunFolder() {
    if (path_.empty()) return;
    for (const wchar_t* name : {L"out", L"err", L"status", L"status.part"})
        ::DeleteFileW(File(name).c_str());
    ::RemoveDirectoryW(path_.c_str());
}

}  // namespace tarnwick
