// Installing a JVM that ships in the package: the first resource marked 1 in
// the archive's "BundledVMInstallers" section is written into the temporary
// folder and run; the run sequence then searches once more.
#include <windows.h>

#include "app/launcher_app.h"
#include "base/win32/own_module.h"
#include "base/win32/run_process.h"
#include "base/win32/temp_folder.h"
#include "dialogs/consent_dialogs.h"
#include "dialogs/progress_dialog.h"
#include "package/java_archive.h"
#include "package/win32/extracted_file.h"
#include "resources/resource_ids.h"

namespace tarnwick {
bool LauncherApp::InstallBundledJvm() {
    if (!silent) {
        SendProgressMessage(WM_HIDEPROGRESS);
        const INT_PTR answer = ShowBundledJvmDialog(ProgressWindow, InstanceHandle);
        SendProgressMessage(WM_SHOWPROGRESS);
        // Cancel does not end the run: browsing for a JVM comes next.
        if (answer != IDOK) return false;
    }
    return ExtractBundledJvmInstaller();
}

bool LauncherApp::ExtractBundledJvmInstaller() {
    SetStatusText(IDS_STATUS_INSTALLING_JVM);
    JavaArchive archive(files, texts, log);
    if (!archive.ReadArchive(archivePath)) {
        ShowErrorBox(ProgressWindow, IDS_INVALID_EXECUTABLE, title);
        return false;
    }
    const ArchiveResource* installer = nullptr;
    for (const ArchiveResource& resource : archive.Section("BundledVMInstallers").resources) {
        if (resource.flag == 1) {
            installer = &resource;
            break;
        }
    }
    // Nothing to install: the installer start that follows fails.
    if (installer == nullptr) return true;

    std::string folder;
    if (!TempFolderWithSpace(installer->size, &folder)) {
        WriteLogLine(log, "\r\n%s %s %s (%d)\r\n",
                     {LoadText(IDS_NOT_ENOUGH_SPACE), installer->name, LoadText(IDS_OF_SIZE),
                      static_cast<int32_t>(installer->size)});
        ShowErrorBox(ProgressWindow, IDS_NO_DISK_SPACE, title);
        return false;
    }
    const std::string target = folder + installer->name;
    if (log.tracing()) WriteLogLine(log, "\r\n%s %s...\r\n", {LoadText(IDS_EXTRACTING_FILE), target});
    // Known before the write, so an abort in the middle still deletes it.
    bundledInstallerPath = target;

    // The size comes from the archive: it must lie inside the file before a
    // buffer of that size is made.
    bool read = installer->LiesInFile();
    if (read) {
        bundledInstallerData.assign(installer->size, 0);
        read = installer->ReadData(files, bundledInstallerData.data());
    }
    const WriteOutcome written =
        read ? WriteExtractedFile(target, bundledInstallerData.data(), bundledInstallerData.size(),
                                  bundledInstallerData.size(), &bundledInstallerFile)
             : WriteOutcome::NotCreated;
    if (written == WriteOutcome::ShortWrite) {
        WriteLogLine(log, "\r\n%s %s %s ...\r\n",
                     {LoadText(IDS_ERROR_OCCURED_WHILE), LoadText(IDS_EXTRACTING_FILE), target});
        return false;
    }
    // Windows will not start a program that is open for writing: the file is
    // held for reading only from here on, and checked once held, so what
    // runs is what was written.
    if (written == WriteOutcome::NotCreated ||
        !HoldForRunning(target, bundledInstallerData, &bundledInstallerFile)) {
        WriteLogLine(log, "%s %s %s\r\n", {LoadText(IDS_CORRUPTED), LoadText(IDS_JVM_INSTALLER), target});
        ShowErrorBox(ProgressWindow, IDS_INVALID_EXECUTABLE, title);
        return false;
    }
    bundledInstallerExtracted = true;
    return true;
}

bool LauncherApp::RunBundledJvmInstaller() {
    SendProgressMessage(WM_HIDEPROGRESS);
    if (log.tracing()) {
        WriteLogLine(log, "\r\n%s %s %s...\r\n",
                     {LoadText(IDS_LAUNCHING), LoadText(IDS_JVM_INSTALLER), bundledInstallerPath});
    }
    // Its exit code does not matter: the search that follows tells.
    const bool ran = !bundledInstallerPath.empty() &&
                     RunProcess(bundledInstallerPath, "", /*wait=*/true, /*hidden=*/false, /*forceShow=*/true);
    SendProgressMessage(WM_SHOWPROGRESS);
    return ran;
}

}  // namespace tarnwick
