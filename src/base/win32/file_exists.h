#pragma once

#include <string>

namespace tarnwick {

// True when the path's attributes can be read: a file or a folder.
bool FileExists(const std::string& path);

}  // namespace tarnwick
