#include "app/launcher_run.h"

#include "resources/resource_ids.h"

namespace tarnwick {

bool IsClassFile(const std::string& path) {
    FileSource file;
    if (!file.Open(path)) return false;
    uint8_t magic[4];
    if (!file.Read(magic, sizeof magic)) return false;
    return magic[0] == 0xCA && magic[1] == 0xFE && magic[2] == 0xBA && magic[3] == 0xBE;
}

LauncherRun::LauncherRun(RunSettings settings, const CancelEvent& cancel)
    : settings_(std::move(settings)),
      cancel_(cancel),
      verifyClassPath_(settings_.verifyClassPath),
      archivePath_(settings_.archivePath),
      searchCriteria_(settings_.searchCriteria),
      jvmPath_(settings_.jvmPath) {
    if (settings_.logGiven) {
        log_.Open(settings_.logPath, settings_.logInTemp ? InstallLog::Creation::New : InstallLog::Creation::Overwrite);
    }
    log_.SetTracing(settings_.logAll);
}

bool LauncherRun::Run(RunUi& ui) {
    ui_ = &ui;
    return Sequence();
}

bool LauncherRun::Report(const StepResult& result) {
    // After an abort nobody is asked anything any more.
    if (cancel_.IsSet()) return false;
    if (result.errorBox != 0) ui_->ShowError(result.errorBox, result.boxOwner);
    return result.done;
}

bool LauncherRun::Sequence() {
    if (verifyClassPath_.empty() && !Do([&] { return ExtractVerifyClass(); })) return false;
    if (!IsClassFile(verifyClassPath_)) {
        ui_->SetStatus(IDS_STATUS_EXTRACTING_VERIFY);
        WriteLogLine(log_, "\r\n%s %s %s\r\n",
                     {LoadText(IDS_VALIDATION_OF), verifyClassPath_, LoadText(IDS_FAILED)});
        return false;
    }
    if (archivePath_.empty()) {
        ui_->SetStatus(IDS_EXTRACTING_ARCHIVE);
        if (!Do([&] { return ExtractJavaArchive(); })) return false;
    }
    if (!IsClassFile(archivePath_)) {
        ui_->SetStatus(IDS_STATUS_VALIDATING_ARCHIVE);
        WriteLogLine(log_, "\r\n%s %s %s\r\n", {LoadText(IDS_VALIDATION_OF), archivePath_, LoadText(IDS_FAILED)});
        return false;
    }
    runEnd_ = RunEnd::NoJvm;
    return FindJvm() && Do([&] { return VerifyChosenJvm(); }) && Do([&] { return LaunchInstaller(); });
}

// The first alternative that yields a JVM wins; a failure anywhere in the
// shipped-JVM chain falls through to browsing.
bool LauncherRun::FindJvm() {
    if (!jvmPath_.empty()) return true;
    if (Search(1)) return true;
    if (Do([&] { return InstallBundledJvm(); }) && Do([&] { return RunBundledJvmInstaller(); }) && Search(2)) {
        return true;
    }
    return Do([&] { return BrowseForJvm(); });
}

bool LauncherRun::Search(int searchNumber) {
    if (cancel_.IsSet()) return false;
    ui_->SetStatus(IDS_STATUS_SEARCHING);
    // Read from the package only now, and only when no option gave them; a
    // package that cannot be read leaves them empty and the search fails.
    if (searchCriteria_.empty() && !settings_.criteriaGiven) Report(ExtractSearchCriteria());
    return Do([&] { return SearchJvm(searchNumber); });
}

int LauncherRun::ExitCode() const {
    if (!packageSettings_.installerExitCode) return 0;
    if (cancel_.IsSet()) return kExitAborted;
    switch (runEnd_) {
        case RunEnd::PackageUnreadable: return kExitPackageUnreadable;
        case RunEnd::NoJvm: return kExitNoJvm;
        case RunEnd::InstallerNotStarted: return kExitInstallerNotStarted;
        default: return static_cast<int>(installerExitCode_);
    }
}

void LauncherRun::Finish() {
    if (cancel_.IsSet()) WriteLogLine(log_, "\r\n %s \r\n", {LoadText(IDS_APPLICATION_ABORTED)});
    verifyClassFile_.Delete(log_, texts_);
    archiveFile_.Delete(log_, texts_);
    bundledInstallerFile_.Delete(log_, texts_);
    runFolder_.Remove();
    criteriaData_ = {};
    log_.Close();
}

}  // namespace tarnwick
