// The command line RunProcess hands to CreateProcess.
#pragma once

#include <string>

namespace tarnwick {

// An executable path with a blank or a tab in double quotes: unquoted,
// Windows would try "C:\Program.exe" before "C:\Program Files\...". A path
// without blanks stays bare so that "java.exe" is still looked up on PATH.
std::string QuoteExecutable(const std::string& executable);

// The executable, then one blank and the arguments when there are any.
// The executable is quoted as above.
std::string ComposeProcessCommandLine(const std::string& executable, const std::string& arguments);

}  // namespace tarnwick
