// The last steps of a run: prove the chosen JVM once more, then run the
// installer's class in it and wait until it has ended.
#include "app/launcher_run.h"
#include "base/win32/run_process.h"
#include "javacommand/java_command.h"
#include "jvmsearch/jvm_search.h"
#include "jvmsearch/win32/windows_machine.h"
#include "resources/resource_ids.h"

namespace tarnwick {

// A bare name ("java.exe" with -nosearch) stays so in the command line and
// the log, but the file is looked up here, once: CreateProcess would look in
// the launcher's own folder and the current folder first, which may be a
// Downloads folder. A path is left to CreateProcess as it is.
bool LauncherRun::FindJvmProgram(std::string* program) {
    if (jvmPath_.find_first_of("\\/:") != std::string::npos) return true;
    if (!jvmProgram_) {
        WindowsMachine machine(kVerificationTimeLimitMs, &cancel_);
        jvmProgram_ = JvmSearch(machine, texts_, log_, verifyClassPath_).FindProgram(jvmPath_);
    }
    *program = *jvmProgram_;
    return !program->empty();
}

StepResult LauncherRun::VerifyChosenJvm() {
    // Only the start and the end of the run count here; what the verify
    // class prints was read during the search. An abort ends it: nobody
    // else would.
    const JavaCommand verify{jvmPath_, classPath_, verifyClassPath_};
    ProcessOptions options;
    options.hidden = true;
    options.cancel = &cancel_;
    options.endOnCancel = true;
    const ProcessOutcome outcome = verify.IsKnownKind() && FindJvmProgram(&options.program)
                                       ? RunProcessLine(verify.CommandLine(), options)
                                       : ProcessOutcome::NotStarted;
    if (outcome == ProcessOutcome::Ended || outcome == ProcessOutcome::Cancelled) {
        return outcome == ProcessOutcome::Ended ? StepResult::Done() : StepResult::Failed();
    }
    WriteLogLine(log_, "\r\n%s %s %s\r\n", {LoadText(IDS_VALIDATION_OF), jvmPath_, LoadText(IDS_FAILED)});
    return StepResult::Failed();
}

StepResult LauncherRun::LaunchInstaller() {
    runEnd_ = RunEnd::InstallerNotStarted;
    const JavaCommand launch{jvmPath_, classPath_, archivePath_};
    if (!launch.IsKnownKind()) return StepResult::Failed();
    if (log_.tracing()) {
        WriteLogLine(log_, "\r\n%s %s %s %s\r\n", {LoadText(IDS_LAUNCHING), archivePath_, LoadText(IDS_USING_JVM), jvmPath_});
    }
    // The installer's own windows take over; the dialog does not come back.
    // An abort leaves the installer running: the user may still need it.
    ui_->HideProgress();
    ProcessOptions options;
    options.cancel = &cancel_;
    options.exitCode = &installerExitCode_;
    const ProcessOutcome outcome =
        FindJvmProgram(&options.program) ? RunProcessLine(launch.CommandLine(), options) : ProcessOutcome::NotStarted;
    if (outcome == ProcessOutcome::Ended) runEnd_ = RunEnd::InstallerEnded;
    if (outcome == ProcessOutcome::Ended || outcome == ProcessOutcome::Cancelled) {
        return outcome == ProcessOutcome::Ended ? StepResult::Done() : StepResult::Failed();
    }
    WriteLogLine(log_, "\r\n%s %s %s %s\r\n", {LoadText(IDS_LAUNCHING), jvmPath_, LoadText(IDS_USING_JVM), LoadText(IDS_FAILED)});
    return StepResult::Failed();
}

}  // namespace tarnwick
