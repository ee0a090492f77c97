// The last steps of a run: prove the chosen JVM once more, then run the
// installer's class in it and wait until it has ended.
#include <windows.h>

#include "app/launcher_app.h"
#include "base/win32/own_module.h"
#include "base/win32/run_process.h"
#include "dialogs/progress_dialog.h"
#include "javacommand/java_command.h"
#include "resources/resource_ids.h"

namespace tarnwick {

bool LauncherApp::VerifyAndLaunch() {
    return VerifyChosenJvm() && LaunchInstaller();
}

bool LauncherApp::VerifyChosenJvm() {
    // Only the start and the end of the run count here; what the verify
    // class prints was read during the search.
    std::string arguments;
    if (BuildJavaCommand(jvmPath, classPath, verifyClassPath, arguments) &&
        RunProcess(jvmPath, arguments, /*wait=*/true, /*hidden=*/true, /*forceShow=*/false)) {
        return true;
    }
    WriteLogLine(log, "\r\n%s %s %s\r\n", {LoadText(IDS_VALIDATION_OF), jvmPath, LoadText(IDS_FAILED)});
    return false;
}

bool LauncherApp::LaunchInstaller() {
    runEnd = RunEnd::InstallerNotStarted;
    std::string arguments;
    if (!BuildJavaCommand(jvmPath, classPath, archivePath, arguments)) return false;
    if (log.tracing()) {
        WriteLogLine(log, "\r\n%s %s %s %s\r\n",
                     {LoadText(IDS_LAUNCHING), archivePath, LoadText(IDS_USING_JVM), jvmPath});
    }
    // The installer's own windows take over; the dialog does not come back.
    SendProgressMessage(WM_HIDEPROGRESS);
    if (!RunProcess(jvmPath, arguments, /*wait=*/true, /*hidden=*/false, /*forceShow=*/false,
                    &installerExitCode)) {
        WriteLogLine(log, "\r\n%s %s %s %s\r\n",
                     {LoadText(IDS_LAUNCHING), jvmPath, LoadText(IDS_USING_JVM), LoadText(IDS_FAILED)});
        return false;
    }
    runEnd = RunEnd::InstallerEnded;
    return true;
}

}  // namespace tarnwick
