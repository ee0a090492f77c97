#include <windows.h>

#include "app/launcher_app.h"
#include "base/win32/own_module.h"
#include "dialogs/progress_dialog.h"
#include "resources/resource_ids.h"

namespace tarnwick {

bool LauncherApp::LoadPackage() {
    if (!package.ReadSectionTable(OwnPath, log)) {
        WriteLogLine(log, "\r\n %s %s\r\n", {LoadText(IDS_READ_FAILED), OwnPath});
        ShowErrorBox(nullptr, IDS_READ_FAILED, title);
        return false;
    }
    settings = LoadSettings(package, files, log);

    std::vector<uint8_t>* const buffers[] = {&archiveData, &verifyClassData, &criteriaData};
    // Sizes come from the file: every section must lie inside it before a
    // buffer of its size is made, so a forged size cannot exhaust memory.
    bool readable = true;
    for (uint8_t id = 1; id <= 3; ++id) readable = readable && package.Section(id).LiesInFile();
    for (uint8_t id = 1; readable && id <= 3; ++id) {
        const PackageSection& section = package.Section(id);
        std::vector<uint8_t>& buffer = *buffers[id - 1];
        buffer.assign(static_cast<size_t>(section.size), 0);
        readable = section.ReadData(files, buffer.data());
    }
    if (!readable) {
        WriteLogLine(log, "\r\n %s %s %s\r\n",
                     {LoadText(IDS_CORRUPTED), LoadText(IDS_INSTALLATION_EXECUTABLE), OwnPath});
        ShowErrorBox(ProgressWindow, IDS_INVALID_EXECUTABLE, title);
        return false;
    }
    packageLoaded = true;
    return true;
}

}  // namespace tarnwick
