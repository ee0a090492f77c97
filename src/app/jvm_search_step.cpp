#include "app/launcher_app.h"
#include "base/win32/string_table.h"
#include "dialogs/progress_dialog.h"
#include "jvmsearch/jvm_search.h"
#include "jvmsearch/win32/windows_machine.h"
#include "resources/resource_ids.h"

namespace tarnwick {

bool LauncherApp::SearchJvm(int searchNumber) {
    SetStatusText(IDS_STATUS_SEARCHING);
    if (searchCriteria.empty() && !criteriaFromOptions) ExtractSearchCriteria();

    const int label = searchNumber == 1 ? IDS_SEARCH_SUMMARY : IDS_SEARCH_AFTER_INSTALL;
    WriteLogLine(log, "\r\n%s \r\n", {LoadText(label)});

    WindowsMachine machine;
    JvmSearch search(machine, texts, log, verifyClassPath);
    search.SetModernSearch(settings.modernSearch);
    const JvmDescriptor found = search.FindJvm(searchCriteria, searchNumber);
    if (!found.bin.empty()) {
        jvmPath = found.bin;
        classPath = found.libs;
        if (log.tracing()) WriteLogLine(log, "\r\n%s %s\r\n", {LoadText(IDS_FOUND_JVM_AT), jvmPath});
        return true;
    }
    // jvmPath is still empty here, so the line ends in two blanks.
    WriteLogLine(log, "\r\n\t%s %s \r\n", {LoadText(IDS_SEARCH_FAILED), jvmPath});
    return false;
}

}  // namespace tarnwick
