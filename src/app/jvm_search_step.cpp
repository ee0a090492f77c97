#include "app/launcher_run.h"
#include "jvmsearch/jvm_search.h"
#include "jvmsearch/win32/windows_machine.h"
#include "resources/resource_ids.h"

namespace tarnwick {

StepResult LauncherRun::SearchJvm(int searchNumber) {
    const int label = searchNumber == 1 ? IDS_SEARCH_SUMMARY : IDS_SEARCH_AFTER_INSTALL;
    WriteLogLine(log_, "\r\n%s \r\n", {LoadText(label)});

    WindowsMachine machine(kVerificationTimeLimitMs, &cancel_);
    JvmSearch search(machine, texts_, log_, verifyClassPath_);
    search.SetModernSearch(packageSettings_.modernSearch);
    const JvmDescriptor found = search.FindJvm(searchCriteria_, searchNumber);
    // Aborted: the search stopped where it was, and the abort's line follows.
    if (cancel_.IsSet()) return StepResult::Failed();
    if (!found.bin.empty()) {
        jvmPath_ = found.bin;
        classPath_ = found.libs;
        if (log_.tracing()) WriteLogLine(log_, "\r\n%s %s\r\n", {LoadText(IDS_FOUND_JVM_AT), jvmPath_});
        return StepResult::Done();
    }
    // jvmPath_ is still empty here, so the line ends in two blanks.
    WriteLogLine(log_, "\r\n\t%s %s \r\n", {LoadText(IDS_SEARCH_FAILED), jvmPath_});
    return StepResult::Failed();
}

}  // namespace tarnwick
