// One run of the launcher: its settings, the package read from the
// executable, the files it extracts, its log, and the run sequence with its
// steps. It lives in LauncherMain; the steps run on the worker thread (or
// the main thread when silent) and reach the user only through a RunUi.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/run_settings.h"
#include "base/win32/cancel_event.h"
#include "base/win32/file_source.h"
#include "base/win32/install_log.h"
#include "base/win32/run_folder.h"
#include "base/win32/string_table.h"
#include "dialogs/run_ui.h"
#include "package/installation_package.h"
#include "package/launcher_settings.h"
#include "package/win32/extracted_file.h"

namespace tarnwick {

// The exit codes of a run whose package says exitcode=installer, for what
// the launcher ends itself (Windows Installer's codes of the same meaning);
// once the installer has run, its own exit code. Without the setting, 0.
constexpr int kExitPackageUnreadable = 1619;    // not read, extracted or valid
constexpr int kExitNoJvm = 1633;                // no JVM found, chosen or verified
constexpr int kExitAborted = 1602;              // the user confirmed Cancel
constexpr int kExitInstallerNotStarted = 1603;  // the JVM could not be started with it

// What a step gives back: done, or failed with the error box (if any) the
// run shows for it. The steps log their own failures; the boxes are raised
// in one place, LauncherRun::Report.
struct StepResult {
    bool done = true;
    int errorBox = 0;  // string id; 0: no box
    RunUi::BoxOwner boxOwner = RunUi::BoxOwner::Progress;

    static StepResult Done() { return {}; }
    static StepResult Failed(int errorBox = 0, RunUi::BoxOwner owner = RunUi::BoxOwner::Progress) {
        return {false, errorBox, owner};
    }
};

class LauncherRun {
  public:
    // Opens the log (with -log).
    LauncherRun(RunSettings settings, const CancelEvent& cancel);
    LauncherRun(const LauncherRun&) = delete;
    LauncherRun& operator=(const LauncherRun&) = delete;

    // The run sequence: true when the installer was started and has ended.
    bool Run(RunUi& ui);
    // The end of every run: after an abort its log line, then the deletion
    // of the files this run extracted, then the log is closed.
    void Finish();

    // The steps. Each looks at nothing but the run's own values.
    StepResult LoadPackage();
    StepResult ExtractVerifyClass();
    StepResult ExtractJavaArchive();
    StepResult ExtractSearchCriteria();
    // `searchNumber` 1 is the first search of the run, 2 the one after
    // installing the JVM shipped in the package.
    StepResult SearchJvm(int searchNumber);
    StepResult InstallBundledJvm();
    StepResult RunBundledJvmInstaller();
    StepResult BrowseForJvm();
    StepResult VerifyChosenJvm();
    StepResult LaunchInstaller();

    // What the process exits with (see kExit...).
    int ExitCode() const;

    InstallLog& log() { return log_; }
    const RunSettings& settings() const { return settings_; }

  private:
    bool Sequence();
    bool FindJvm();
    bool Search(int searchNumber);
    // Shows the step's error box; true when it is done and the run goes on.
    bool Report(const StepResult& result);
    // Runs a step unless the run is cancelled; see Report.
    template <class StepCall>
    bool Do(StepCall step) {
        return !cancel_.IsSet() && Report(step());
    }
    StepResult ExtractSection(uint8_t id, uint32_t writeSize, const char* traceFormat, ExtractedFile* file,
                              std::string* path);
    // The run's own folder, made on first use, when the temporary folder's
    // drive has more free bytes than `requiredSize`.
    bool RunFolderWithSpace(uint64_t requiredSize, std::string* folder);
    StepResult PackageUnreadable();
    StepResult ExtractBundledJvmInstaller();
    // The file to start for jvmPath_ (see installer_launch.cpp); false when none may run.
    bool FindJvmProgram(std::string* program);

    RunSettings settings_;
    const CancelEvent& cancel_;
    RunUi* ui_ = nullptr;
    InstallLog log_;
    // The package reader reads the launcher's own executable through these.
    FileOpener files_;
    StringTableTexts texts_;
    InstallationPackage package_{files_, texts_};
    bool packageLoaded_ = false;
    LauncherSettings packageSettings_;  // from the package's section 4, once loaded
    // How far the run got, for the exit code.
    enum class RunEnd { PackageUnreadable, NoJvm, InstallerNotStarted, InstallerEnded };
    RunEnd runEnd_ = RunEnd::PackageUnreadable;
    unsigned long installerExitCode_ = 0;
    std::vector<uint8_t> criteriaData_;
    // Where the classes are (given, or extracted), the criteria, and the JVM
    // chosen (given, found or browsed) with its libraries.
    std::string verifyClassPath_;
    std::string archivePath_;
    std::string searchCriteria_;
    std::string jvmPath_;
    std::string classPath_;
    std::optional<std::string> jvmProgram_;  // a bare jvmPath_'s file, once looked up
    ExtractedFile verifyClassFile_;
    ExtractedFile archiveFile_;
    ExtractedFile bundledInstallerFile_;
    RunFolder runFolder_;  // holds the three files above
};

// True when the file can be read and begins with the class-file magic
// CA FE BA BE.
bool IsClassFile(const std::string& path);

}  // namespace tarnwick
