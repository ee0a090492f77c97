#include "base/win32/temp_folder.h"

#include <windows.h>

#include "base/win32/file_exists.h"

namespace tarnwick {

bool TempFolderWithSpace(uint64_t requiredSize, std::string* folder) {
    char path[MAX_PATH] = {};
    const DWORD length = ::GetTempPathA(MAX_PATH, path);
    // A longer path does not fit the buffer: no temporary folder then.
    if (length == 0 || length >= MAX_PATH || !FileExists(path)) return false;

    // The drive's root, "C:\". A network path gives "\\s", which names no
    // drive, and the check fails.
    const std::string root(path, length < 3 ? length : 3);
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
    folder->assign(path, length);
    return true;
}

}  // namespace tarnwick
