// The command line RunProcess hands to CreateProcess.
#pragma once

#include <string>

namespace tarnwick {

// An executable path with a blank or a tab in double quotes: unquoted,
// Windows would try "C:\Program.exe" before "C:\Program Files\...". A path
// without blanks stays bare so that "java.exe" is still looked up on PATH.
std::string QuoteExecutable(const std::string& executable);

// `text` in double quotes, written so that a Windows program's C runtime
// (and CommandLineToArgvW) gives back exactly `text`: backslashes before a
// quote, and before the closing quote, are doubled, and a quote is escaped.
// Without that, a path ending in a backslash ("C:\") would swallow the
// closing quote and run into the next argument.
std::string QuoteArgument(const std::string& text);

// The executable, then one blank and the arguments when there are any.
// The executable is quoted as above.
std::string ComposeProcessCommandLine(const std::string& executable, const std::string& arguments);

}  // namespace tarnwick
