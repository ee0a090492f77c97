// What the command line asks of a run, resolved once at start-up: every
// path absolute (against the executable's folder) and every text in the
// user's ANSI code page.
#pragma once

#include <string>

namespace tarnwick {

struct RunSettings {
    std::string ownPath;          // the executable, which carries the package
    std::string jvmPath;          // -jvm, or "java.exe" with -nosearch alone
    std::string archivePath;      // -archive
    std::string verifyClassPath;  // -verify
    std::string searchCriteria;   // -searchcriteria
    std::string logPath;          // -log, or twlog.txt in the temporary folder
    bool logGiven = false;
    bool logInTemp = false;       // -log without a value: the shared temporary folder
    bool criteriaGiven = false;   // -searchcriteria, even with an empty value
    bool noSearch = false;
    bool silent = false;
    bool logAll = false;
};

// `commandLine` is the command line after the program name, as WinMain
// gets it but in UTF-16. Paths come out in the form the 8-bit API opens.
RunSettings ResolveSettings(const std::string& ownPath, const std::u16string& commandLine);

}  // namespace tarnwick
