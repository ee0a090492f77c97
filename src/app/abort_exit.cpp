// The end of a run the user aborted. The worker thread is stopped first, so
// it can no longer touch the LauncherApp or the files Teardown deletes. It
// may have been stopped inside the heap, so from here on nothing allocates:
// texts go through buffers on the stack, and the process ends without the
// C runtime's or the DLLs' clean-up. A child it started (a running
// installer) goes on.
#include <windows.h>

#include "app/launcher_app.h"
#include "base/win32/own_module.h"
#include "resources/resource_ids.h"

namespace tarnwick {
namespace {

// One log line of a format, a string-table label and an optional path.
void WriteLabelLine(InstallLog& log, const char* format, int labelId, const char* path) {
    char label[kLogTextCapacity] = {};
    ::LoadStringA(InstanceHandle, static_cast<UINT>(labelId), label, sizeof label);
    char line[1024];
    const int length = path != nullptr ? ::wsprintfA(line, format, label, path) : ::wsprintfA(line, format, label);
    if (length > 0) log.WriteLine(std::string_view(line, static_cast<size_t>(length)));
}

// A file still held but not yet marked extracted was being written when the
// worker stopped: this run made it, so it goes too.
void DeleteWithoutHeap(InstallLog& log, bool extracted, const std::string& path, ScopedHandle* held) {
    const bool ours = extracted || held->IsValid();
    held->Close();
    if (!ours || ::GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) return;
    if (log.tracing()) WriteLabelLine(log, "\r\n%s %s...\r\n", IDS_DELETING_FILE, path.c_str());
    ::DeleteFileA(path.c_str());
}

}  // namespace

void LauncherApp::EndAbortedRun(HANDLE worker) {
    ::TerminateThread(worker, 0);
    ::WaitForSingleObject(worker, INFINITE);

    WriteLabelLine(log, "\r\n %s \r\n", IDS_APPLICATION_ABORTED, nullptr);
    DeleteWithoutHeap(log, verifyClassExtracted, verifyClassPath, &verifyClassFile);
    DeleteWithoutHeap(log, archiveExtracted, archivePath, &archiveFile);
    DeleteWithoutHeap(log, bundledInstallerExtracted, bundledInstallerPath, &bundledInstallerFile);
    log.Close();
    // Not ExitProcess: the DLLs' detach code it runs could wait for a lock
    // the stopped worker still holds (the heap's, say) and never return.
    const UINT exitCode = settings.installerExitCode ? kExitAborted : 0;
    ::TerminateProcess(::GetCurrentProcess(), exitCode);
    ::ExitProcess(exitCode);  // only if the system refused the above
}

}  // namespace tarnwick
