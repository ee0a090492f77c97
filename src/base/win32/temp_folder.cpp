#include "base/win32/temp_folder.h"

#include <windows.h>

#include <utility>

#include "base/win32/ansi_text.h"
#include "base/win32/file_exists.h"

namespace tarnwick {

bool TempFolder(std::string* folder) {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = ::GetTempPathW(MAX_PATH, path);
    // A longer path does not fit the buffer: no temporary folder then. (A
    // length of MAX_PATH itself never comes back: a fitting path is shorter,
    // a longer one reports the size it needs, its terminator included.)
    // A user name outside the code page reaches the 8-bit API in 8.3 form.
    std::string ansi;
    if (length == 0 || length >= MAX_PATH || !AnsiPath(std::wstring(path, length), &ansi) || !FileExists(ansi)) {
        return false;
    }
    *folder = std::move(ansi);
    return true;
}

bool TempFolderWithSpace(uint64_t requiredSize, std::string* folder) {
    std::string path;
    if (!TempFolder(&path)) return false;

    // The drive's root, "C:\". A network path gives "\\s", which names no
    // drive, and the check fails.
    const std::string root = path.substr(0, 3);
    DWORD sectorsPerCluster = 0;
    DWORD bytesPerSector = 0;
    DWORD freeClusters = 0;
    DWORD totalClusters = 0;
    if (!::GetDiskFreeSpaceA(root.c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters,
                             &totalClusters)) {
        return false;
    }
    const uint64_t freeBytes = uint64_t{sectorsPerCluster} * bytesPerSector * freeClusters;
    if (freeBytes <= requiredSize) return false;
    *folder = std::move(path);
    return true;
}

}  // namespace tarnwick
