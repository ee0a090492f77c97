#include "base/win32/own_module.h"

namespace tarnwick {

std::string OwnExecutablePath() {
    char path[MAX_PATH + 1] = {};
    const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, length <= MAX_PATH ? length : 0);
}

}  // namespace tarnwick
