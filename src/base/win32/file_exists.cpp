#include "base/win32/file_exists.h"

#include <windows.h>

namespace tarnwick {

bool FileExists(const std::string& path) {
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace tarnwick
