// Turns the arguments a Windows program gives java.exe into arguments for
// the host's java: Windows paths where a JVM reads paths become host paths.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace tarnwick {

// Gives the host path of a Windows path (absolute or relative to the
// current folder); false when it has none.
using HostPathResolver = std::function<bool(const std::string& windowsPath, std::string* hostPath)>;

// Each ';'-separated entry resolved, joined with ':'. Empty entries stay
// empty (both JVMs read them as the current folder); an entry without a
// host path is left out, since the host JVM could not open it either.
std::string MapClassPath(const std::string& windowsClassPath, const HostPathResolver& resolve);

// "C:\..." or "C:/...": a path that means the same whatever the current folder.
bool IsDriveAbsolutePath(const std::string& text);

// The JVM options up to the main class (or -jar and its file): class-path
// values through MapClassPath, the -jar file and drive-absolute -D values
// through the resolver. The main class and the program's own arguments
// pass unchanged: what they mean is the program's business. `userHome`,
// when not empty, goes first as -Duser.home, so a program that keeps
// things in the user's home keeps them where Windows programs see them; a
// -Duser.home of the caller comes later and wins.
std::vector<std::string> TranslateJavaArguments(const std::vector<std::string>& arguments,
                                                const std::string& userHome,
                                                const HostPathResolver& resolve);

}  // namespace tarnwick
