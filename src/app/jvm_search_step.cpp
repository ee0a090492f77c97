#include "app/launcher_app.h"
#include "app/process_flags.h"
#include "app/string_table.h"
#include "jvmsearch/jvm_search.h"
#include "jvmsearch/windows_machine.h"
#include "resources/resource_ids.h"

namespace tarnwick {

bool LauncherApp::SearchJvm() {
    SetStatusText(IDS_STATUS_SEARCHING);
    if (searchCriteria.empty() && !criteriaFromOptions) ExtractSearchCriteria();

    int label = IDS_SEARCH_AFTER_INSTALL;
    if (SearchPass == 1) {
        label = IDS_SEARCH_SUMMARY;
        SearchPass = 2;
    }
    WriteLogLine(log, "\r\n%s \r\n", {LoadText(label)});

    WindowsMachine machine;
    JvmSearch search(machine, texts, log, verifyClassPath);
    const JvmDescriptor found = search.FindJvm(searchCriteria);
    if (!found.bin.empty()) {
        jvmPath = found.bin;
        classPath = found.libs;
        if (LogAll) WriteLogLine(log, "\r\n%s %s\r\n", {LoadText(IDS_FOUND_JVM_AT), jvmPath});
        return true;
    }
    // jvmPath is still empty here, so the line ends in two blanks.
    WriteLogLine(log, "\r\n\t%s %s \r\n", {LoadText(IDS_SEARCH_FAILED), jvmPath});
    return false;
}

}  // namespace tarnwick
