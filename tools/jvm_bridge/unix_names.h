// Host paths of Windows paths, from Wine's kernel32 export
// wine_get_unix_file_name (found at run time: Windows has no such thing).
#pragma once

#include "java_arguments.h"

namespace tarnwick {

// False when this is not Wine.
bool WineUnixNamesAvailable();

// A resolver over wine_get_unix_file_name; it fails for every path when
// WineUnixNamesAvailable is false.
HostPathResolver WineHostPathResolver();

}  // namespace tarnwick
