// `tarnpack list`: what the launcher itself reads from a setup executable or
// a Java archive, shown through its own readers with their full trace, so a
// package that lists cleanly here is one the launcher accepts.
#pragma once

#include <ostream>
#include <string>

#include "base/byte_source.h"

namespace tarnpack {

// Both turn on the launcher's full trace (logall), print it and a summary to
// `out`, and throw PackError when the reader fails.
void ListPackage(tarnwick::SourceOpener& files, const std::string& path, std::ostream& out);
void ListArchive(tarnwick::SourceOpener& files, const std::string& path, std::ostream& out);

// True when the file starts with "MZ": a setup executable, not an archive.
bool LooksLikeExecutable(tarnwick::SourceOpener& files, const std::string& path);

}  // namespace tarnpack
