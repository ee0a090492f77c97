// Where today's JVMs live on Windows (search=modern): the registry layouts
// their installers write, the folders they install into, the JAVA_HOME
// variable and the javapath launcher shims. None of these is trusted: each
// names a home whose bin\java.exe must exist and pass the verify class.
#pragma once

#include <string>

namespace tarnwick {

// One registry layout: the subkeys of `key` are versions (never trusted:
// updates remove CurrentVersion, uninstalls leave keys behind), and
// key\<version><below> holds the home in `valueName`.
struct ModernRegistryLayout {
    const char* key;
    const char* below;
    const char* valueName;
};
extern const ModernRegistryLayout kModernRegistryLayouts[];
extern const size_t kModernRegistryLayoutCount;

// The folders below Program Files whose children are JVM homes.
extern const char* const kModernVendorFolders[];
extern const size_t kModernVendorFolderCount;

// A JVM home as written in JAVA_HOME or a registry value: the first entry of
// a ';' list, blanks, tabs and quotes trimmed, trailing backslashes dropped
// and a last "\bin" cut off. Empty when nothing is left.
std::string NormalizeJavaHome(std::string text);

// A folder of the Oracle installers' java.exe shims ("...\Oracle\Java\javapath",
// any case, a trailing backslash allowed): a launcher, not a JVM home.
bool IsJavapathFolder(const std::string& folder);

}  // namespace tarnwick
