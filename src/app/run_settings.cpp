#include "app/run_settings.h"

#include "base/path_rules.h"
#include "base/win32/ansi_text.h"
#include "base/win32/temp_folder.h"
#include "options/launcher_options.h"

namespace tarnwick {
namespace {

std::string DefaultLogPath() {
    std::string folder;
    if (!TempFolder(&folder)) return std::string();
    return ResolveOptionPath(std::string("twlog.txt"), folder);
}

}  // namespace

RunSettings ResolveSettings(const std::string& ownPath, const std::u16string& commandLine) {
    LauncherOptions options;
    options.ParseCommandLine(commandLine, &ToAnsi);
    const std::u16string baseFolder = FromAnsi(BaseFolderOf(ownPath));
    const auto resolved = [&](const std::u16string& path) {
        const std::u16string full = ResolveOptionPath(path, baseFolder);
        std::string ansi;
        return AnsiPath(std::wstring(full.begin(), full.end()), &ansi) ? ansi : ToAnsi(full);
    };

    RunSettings settings;
    settings.ownPath = ownPath;
    if (!options.jvm.empty()) settings.jvmPath = resolved(options.jvm);
    if (!options.archive.empty()) settings.archivePath = resolved(options.archive);
    settings.noSearch = options.noSearch;
    // Unresolved on purpose: the system finds "java.exe" along PATH.
    if (options.noSearch && options.jvm.empty()) settings.jvmPath = "java.exe";
    if (!options.verify.empty()) settings.verifyClassPath = resolved(options.verify);
    settings.criteriaGiven = options.searchCriteriaGiven;
    settings.searchCriteria = options.searchCriteria;
    settings.logGiven = options.logGiven;
    settings.logInTemp = options.logGiven && options.log.empty();
    if (options.logGiven) settings.logPath = settings.logInTemp ? DefaultLogPath() : resolved(options.log);
    settings.silent = options.silent;
    settings.logAll = options.logAll;
    return settings;
}

}  // namespace tarnwick
