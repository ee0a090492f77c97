// Path rules for option values and the launcher's own folder. Portable and
// written once for 8-bit and UTF-16 text: options are resolved as UTF-16,
// the executable's own path is 8-bit.
#pragma once

#include <string>
#include <vector>

namespace tarnwick {

// `path` after `base` with exactly one backslash between them; an empty
// base gives the path alone.
template <class String>
String JoinPath(const String& base, const String& path);

// "C:" for a drive path, "\\server\share" for a UNC path, empty otherwise.
template <class String>
String PathRoot(const String& path);

// An absolute path unchanged; a relative one joined to `baseFolder` and
// normalised ("\." and "\.." removed).
template <class String>
String ResolveOptionPath(const String& path, const String& baseFolder);

// The folder of an executable path, up to and including its last backslash;
// the root itself when no backslash follows the root.
template <class String>
String BaseFolderOf(const String& executablePath);

// The entries of a PATH value in order: every ';' ends an entry (empty ones
// included); one at the very end leaves none after it.
std::vector<std::string> SplitPathVariable(const std::string& path);

}  // namespace tarnwick
