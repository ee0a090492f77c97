// Installing a JVM that ships in the package: the first resource marked 1 in
// the archive's "BundledVMInstallers" section is written into the temporary
// folder and run; the run sequence then searches once more.
#include "app/launcher_run.h"
#include "base/win32/run_process.h"
#include "package/java_archive.h"
#include "resources/resource_ids.h"

namespace tarnwick {
namespace {

// Written as it is read, in pieces: a shipped JVM installer may be larger
// than a 32-bit process can hold at once.
constexpr uint32_t kInstallerWriteSize = 64 * 1024;

}  // namespace

StepResult LauncherRun::InstallBundledJvm() {
    ui_->HideProgress();
    // Silent runs install it without asking.
    const bool consented = ui_->AskBundledJvmConsent();
    ui_->ShowProgress();
    // Cancel does not end the run: browsing for a JVM comes next.
    if (!consented) return StepResult::Failed();
    return ExtractBundledJvmInstaller();
}

StepResult LauncherRun::ExtractBundledJvmInstaller() {
    ui_->SetStatus(IDS_STATUS_INSTALLING_JVM);
    JavaArchive archive(files_, texts_, log_);
    if (!archive.ReadArchive(archivePath_)) return StepResult::Failed(IDS_INVALID_EXECUTABLE);
    const ArchiveResource* installer = nullptr;
    for (const ArchiveResource& resource : archive.Section("BundledVMInstallers").resources) {
        if (resource.flag == 1) {
            installer = &resource;
            break;
        }
    }
    // Nothing to install: the installer start that follows fails.
    if (installer == nullptr) return StepResult::Done();

    std::string folder;
    if (!RunFolderWithSpace(installer->size, &folder)) {
        WriteLogLine(log_, "\r\n%s %s %s (%d)\r\n",
                     {LoadText(IDS_NOT_ENOUGH_SPACE), installer->name, LoadText(IDS_OF_SIZE),
                      static_cast<int32_t>(installer->size)});
        return StepResult::Failed(IDS_NO_DISK_SPACE);
    }
    const std::string target = folder + installer->name;
    if (log_.tracing()) WriteLogLine(log_, "\r\n%s %s...\r\n", {LoadText(IDS_EXTRACTING_FILE), target});

    // Streamed from the archive file, whose size the region was checked
    // against; a resource of size 0 holds nothing to run.
    const std::unique_ptr<ByteSource> source = installer->size != 0 ? installer->OpenData(files_) : nullptr;
    const WriteOutcome written =
        source ? bundledInstallerFile_.Write(target, *source, installer->size, kInstallerWriteSize, &cancel_) : WriteOutcome::NotCreated;
    if (written == WriteOutcome::Cancelled) return StepResult::Failed();
    if (written == WriteOutcome::ShortWrite) {
        WriteLogLine(log_, "\r\n%s %s %s ...\r\n",
                     {LoadText(IDS_ERROR_OCCURED_WHILE), LoadText(IDS_EXTRACTING_FILE), target});
        return StepResult::Failed();
    }
    // Windows will not start a program that is open for writing: the file is
    // held for reading only from here on, and compared with the archive once
    // held, so what runs is what was written.
    const std::unique_ptr<ByteSource> original =
        written == WriteOutcome::Written ? installer->OpenData(files_) : nullptr;
    if (!original || !bundledInstallerFile_.HoldForRunning(*original, installer->size)) {
        WriteLogLine(log_, "%s %s %s\r\n", {LoadText(IDS_CORRUPTED), LoadText(IDS_JVM_INSTALLER), target});
        return StepResult::Failed(IDS_INVALID_EXECUTABLE);
    }
    return StepResult::Done();
}

StepResult LauncherRun::RunBundledJvmInstaller() {
    ui_->HideProgress();
    const std::string& installer = bundledInstallerFile_.path();
    if (log_.tracing()) {
        WriteLogLine(log_, "\r\n%s %s %s...\r\n", {LoadText(IDS_LAUNCHING), LoadText(IDS_JVM_INSTALLER), installer});
    }
    // Its exit code does not matter: the search that follows tells. An
    // abort leaves it running: the user may be in the middle of it. Started
    // through the shell, so that an installer that needs elevation gets it
    // (CreateProcess refuses such a program).
    ProcessOptions options;
    options.forceShow = true;
    options.cancel = &cancel_;
    const bool ran = !installer.empty() && RunThroughShell(installer, options) == ProcessOutcome::Ended;
    ui_->ShowProgress();
    return ran ? StepResult::Done() : StepResult::Failed();
}

}  // namespace tarnwick
