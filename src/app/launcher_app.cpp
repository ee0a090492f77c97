#include "app/launcher_app.h"

#include <windows.h>

#include "base/path_rules.h"
#include "base/win32/ansi_text.h"
#include "base/win32/file_exists.h"
#include "base/win32/file_source.h"
#include "base/win32/string_table.h"
#include "base/win32/temp_folder.h"
#include "dialogs/progress_dialog.h"
#include "options/launcher_options.h"
#include "resources/resource_ids.h"

namespace tarnwick {
namespace {

std::string ResolvedAnsi(const std::u16string& path, const std::u16string& baseFolder) {
    return ToAnsi(ResolveOptionPath(path, baseFolder));
}

std::string DefaultLogPath() {
    std::string folder;
    if (!TempFolder(&folder)) return std::string();
    return ResolveOptionPath(std::string("twlog.txt"), folder);
}

}  // namespace

bool IsClassFile(const std::string& path) {
    FileSource file;
    if (!file.Open(path)) return false;
    uint8_t magic[4];
    if (!file.Read(magic, sizeof magic)) return false;
    return magic[0] == 0xCA && magic[1] == 0xFE && magic[2] == 0xBA && magic[3] == 0xBE;
}

bool LauncherApp::Initialize(const std::u16string& baseFolder, const std::u16string& commandLine) {
    LauncherOptions options;
    options.ParseCommandLine(commandLine, &ToAnsi);

    if (!options.jvm.empty()) jvmPath = ResolvedAnsi(options.jvm, baseFolder);
    if (!options.archive.empty()) archivePath = ResolvedAnsi(options.archive, baseFolder);
    noSearch = options.noSearch;
    // Unresolved on purpose: the system finds "java.exe" along PATH.
    if (noSearch && options.jvm.empty()) jvmPath = "java.exe";
    if (!options.verify.empty()) verifyClassPath = ResolvedAnsi(options.verify, baseFolder);
    criteriaFromOptions = options.searchCriteriaGiven;
    if (!options.searchCriteria.empty()) searchCriteria = options.searchCriteria;
    if (options.logGiven) {
        logPath = options.log.empty() ? DefaultLogPath() : ResolvedAnsi(options.log, baseFolder);
        log.Open(logPath);
    }
    silent = options.silent;
    log.SetTracing(options.logAll);
    return true;
}

bool LauncherApp::Run() {
    if (verifyClassPath.empty() && !ExtractVerifyClass()) return false;
    if (!IsClassFile(verifyClassPath)) {
        SetStatusText(IDS_STATUS_EXTRACTING_VERIFY);
        WriteLogLine(log, "\r\n%s %s %s\r\n",
                     {LoadText(IDS_VALIDATION_OF), verifyClassPath, LoadText(IDS_FAILED)});
        return false;
    }
    if (archivePath.empty()) {
        SetStatusText(IDS_EXTRACTING_ARCHIVE);
        if (!ExtractJavaArchive()) return false;
    }
    if (!IsClassFile(archivePath)) {
        SetStatusText(IDS_STATUS_VALIDATING_ARCHIVE);
        WriteLogLine(log, "\r\n%s %s %s\r\n",
                     {LoadText(IDS_VALIDATION_OF), archivePath, LoadText(IDS_FAILED)});
        return false;
    }

    runEnd = RunEnd::NoJvm;
    // The first alternative that yields a JVM wins; a failure anywhere in
    // the shipped-JVM chain falls through to browsing.
    const bool haveJvm = !jvmPath.empty() || SearchJvm(1) ||
                         (InstallBundledJvm() && RunBundledJvmInstaller() && SearchJvm(2)) ||
                         BrowseForJvm();
    if (!haveJvm) return false;
    return VerifyAndLaunch();
}

int LauncherApp::ExitCode() const {
    if (!settings.installerExitCode) return 0;
    switch (runEnd) {
        case RunEnd::PackageUnreadable: return kExitPackageUnreadable;
        case RunEnd::NoJvm: return kExitNoJvm;
        case RunEnd::InstallerNotStarted: return kExitInstallerNotStarted;
        default: return static_cast<int>(installerExitCode);
    }
}

void LauncherApp::Teardown() {
    DeleteExtractedFile(verifyClassExtracted, verifyClassPath, &verifyClassFile);
    DeleteExtractedFile(archiveExtracted, archivePath, &archiveFile);
    DeleteExtractedFile(bundledInstallerExtracted, bundledInstallerPath, &bundledInstallerFile);
    archiveData = {};
    verifyClassData = {};
    criteriaData = {};
    bundledInstallerData = {};
    log.Close();
}

void LauncherApp::DeleteExtractedFile(bool extracted, const std::string& path,
                                      ScopedHandle* held) {
    held->Close();
    if (!extracted || !FileExists(path)) return;
    if (log.tracing()) WriteLogLine(log, "\r\n%s %s...\r\n", {LoadText(IDS_DELETING_FILE), path});
    // A file still held by a running installer stays; nothing to do then.
    ::DeleteFileA(path.c_str());
}

}  // namespace tarnwick
