#include <windows.h>

#include "app/launcher_app.h"
#include "app/process_flags.h"
#include "app/string_table.h"
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

    // The search itself (registry, default folders, PATH, drive scan) is not
    // built yet; until it is, a search finds nothing and the run ends here
    // without a failure line.
    return false;
}

}  // namespace tarnwick
