#include "app/launcher_run.h"
#include "base/win32/file_exists.h"
#include "javacommand/java_command.h"
#include "resources/resource_ids.h"

namespace tarnwick {

StepResult LauncherRun::BrowseForJvm() {
    ui_->HideProgress();
    std::string path;
    const RunUi::BrowseAnswer answer = ui_->BrowseForJvm(&path);
    ui_->ShowProgress();

    // An abort while the dialog was asked for: nothing more to say.
    if (cancel_.IsSet()) return StepResult::Failed();
    // Nobody to ask in silent mode.
    if (answer == RunUi::BrowseAnswer::NotAsked) return StepResult::Failed();
    if (answer == RunUi::BrowseAnswer::Cancelled) {
        if (log_.tracing()) WriteLogLine(log_, "\r\n%s \r\n", {LoadText(IDS_BROWSE_CANCELLED)});
        return StepResult::Failed();
    }
    if (path.empty()) {
        if (log_.tracing()) WriteLogLine(log_, "\r\n%s \r\n", {LoadText(IDS_BROWSE_NO_PATH)});
        return StepResult::Failed();
    }
    if (log_.tracing()) WriteLogLine(log_, "\r\n%s %s.\r\n", {LoadText(IDS_USER_CHOSE), path});
    jvmPath_ = path;
    if (path.find('\\') != std::string::npos) {
        // The composers want the JVM's home folder, as the search gives them,
        // not the executable: a browsed JVM gets the same class path as a
        // found one.
        const std::string home = JvmHomeOf(path);
        const FileProbe exists = [](const std::string& file) { return FileExists(file); };
        classPath_ = ComposeJdkClassPath(home, exists);
        if (classPath_.empty()) classPath_ = ComposeJreClassPath(home, exists);
    }
    return StepResult::Done();
}

}  // namespace tarnwick
