#include "app/launcher_app.h"
#include "base/win32/file_exists.h"
#include "base/win32/own_module.h"
#include "dialogs/browse_jvm_dialog.h"
#include "dialogs/progress_dialog.h"
#include "javacommand/java_command.h"
#include "resources/resource_ids.h"

namespace tarnwick {

bool LauncherApp::BrowseForJvm() {
    // Nobody to ask in silent mode.
    if (silent) return false;

    SendProgressMessage(WM_HIDEPROGRESS);
    char chosen[MAX_PATH] = {};
    const INT_PTR answer = ShowBrowseJvmDialog(ProgressWindow, InstanceHandle, chosen);
    SendProgressMessage(WM_SHOWPROGRESS);

    if (answer == IDCANCEL) {
        if (log.tracing()) WriteLogLine(log, "\r\n%s \r\n", {LoadText(IDS_BROWSE_CANCELLED)});
        return false;
    }
    const std::string path = chosen;
    if (path.empty()) {
        if (log.tracing()) WriteLogLine(log, "\r\n%s \r\n", {LoadText(IDS_BROWSE_NO_PATH)});
        return false;
    }
    if (log.tracing()) WriteLogLine(log, "\r\n%s %s.\r\n", {LoadText(IDS_USER_CHOSE), path});
    jvmPath = path;
    if (path.find('\\') != std::string::npos) {
        // The composers want the JVM's home folder, as the search gives them,
        // not the executable: a browsed JVM gets the same class path as a
        // found one.
        const std::string home = JvmHomeOf(path);
        const FileProbe exists = [](const std::string& file) { return FileExists(file); };
        classPath = ComposeJdkClassPath(home, exists);
        if (classPath.empty()) classPath = ComposeJreClassPath(home, exists);
    }
    return true;
}

}  // namespace tarnwick
