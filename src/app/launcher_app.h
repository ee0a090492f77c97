// The launcher's single application object: the options, the paths, the
// package buffers and the log, and the run sequence that uses them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/win32/file_source.h"
#include "base/win32/install_log.h"
#include "base/win32/scoped_handle.h"
#include "base/win32/string_table.h"
#include "package/installation_package.h"
#include "package/launcher_settings.h"

namespace tarnwick {

// The exit codes of a run whose package says exitcode=installer, for what
// the launcher ends itself (Windows Installer's codes of the same meaning);
// once the installer has run, its own exit code. Without the setting, 0.
constexpr int kExitPackageUnreadable = 1619;    // not read, extracted or valid
constexpr int kExitNoJvm = 1633;                // no JVM found, chosen or verified
constexpr int kExitAborted = 1602;              // the user confirmed Cancel
constexpr int kExitInstallerNotStarted = 1603;  // the JVM could not be started with it

class LauncherApp {
  public:
    LauncherApp() = default;
    // Teardown runs at process exit, after the entry point has returned.
    ~LauncherApp() { Teardown(); }
    LauncherApp(const LauncherApp&) = delete;
    LauncherApp& operator=(const LauncherApp&) = delete;

    // Parses and applies the options and opens the log. `baseFolder` is the
    // executable's folder, against which relative option paths resolve.
    bool Initialize(const std::u16string& baseFolder, const std::u16string& commandLine);
    // The run sequence: true when the installer was started and has ended.
    bool Run();

    bool LoadPackage();
    // `searchNumber` 1 is the first search of the run, 2 the one after
    // installing the JVM shipped in the package.
    bool SearchJvm(int searchNumber);
    bool BrowseForJvm();
    bool ExtractVerifyClass();
    bool ExtractJavaArchive();
    bool ExtractSearchCriteria();
    bool InstallBundledJvm();
    bool ExtractBundledJvmInstaller();
    bool RunBundledJvmInstaller();
    bool VerifyAndLaunch();
    bool VerifyChosenJvm();
    bool LaunchInstaller();
    // Deletes the temporary files this run wrote, frees the package buffers
    // and closes the log.
    void Teardown();
    // After a confirmed abort: stops the worker thread, logs the abort, does
    // what Teardown does without touching the heap, and ends the process.
    [[noreturn]] void EndAbortedRun(HANDLE worker);

    std::string archivePath;
    std::string verifyClassPath;
    std::string searchCriteria;
    std::string jvmPath;
    std::string classPath;
    std::string logPath;
    bool criteriaFromOptions = false;
    bool silent = false;
    std::string title;  // string 8; loaded only with the progress dialog
    bool packageLoaded = false;
    bool noSearch = false;
    bool verifyClassExtracted = false;
    bool archiveExtracted = false;
    bool bundledInstallerExtracted = false;
    std::string bundledInstallerPath;
    // The package reader reads the launcher's own executable through these.
    FileOpener files;
    StringTableTexts texts;
    InstallationPackage package{files, texts};
    std::vector<uint8_t> archiveData;
    std::vector<uint8_t> verifyClassData;
    std::vector<uint8_t> criteriaData;
    std::vector<uint8_t> bundledInstallerData;
    LauncherSettings settings;  // from the package's section 4, once loaded
    // How far the run got, for the exit code.
    enum class RunEnd { PackageUnreadable, NoJvm, InstallerNotStarted, InstallerEnded };
    RunEnd runEnd = RunEnd::PackageUnreadable;
    unsigned long installerExitCode = 0;
    int ExitCode() const;
    InstallLog log;
    // Each extracted file stays open, sharing reading only, until Teardown
    // deletes it: nobody can change or swap it while it is used.
    ScopedHandle verifyClassFile;
    ScopedHandle archiveFile;
    ScopedHandle bundledInstallerFile;

  private:
    bool ExtractSection(uint8_t id, const std::vector<uint8_t>& data, size_t chunkSize,
                        const char* traceFormat, std::string* path, bool* extracted,
                        ScopedHandle* held);
    void DeleteExtractedFile(bool extracted, const std::string& path, ScopedHandle* held);
};

// True when the file can be read and begins with the class-file magic
// CA FE BA BE.
bool IsClassFile(const std::string& path);

}  // namespace tarnwick
