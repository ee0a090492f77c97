#include <windows.h>

#include "app/launcher_app.h"
#include "base/win32/own_module.h"
#include "base/win32/temp_folder.h"
#include "dialogs/progress_dialog.h"
#include "package/criteria_record.h"
#include "package/win32/extracted_file.h"
#include "resources/resource_ids.h"

namespace tarnwick {
namespace {

// The Java archive is written in writes of this size.
constexpr size_t ExtractChunkSize = 1024;

}  // namespace

bool LauncherApp::ExtractVerifyClass() {
    // The verify class goes out in a single write.
    return ExtractSection(2, verifyClassData, SIZE_MAX, "\r\n%s %s ...\r\n", &verifyClassPath,
                         &verifyClassExtracted, &verifyClassFile);
}

bool LauncherApp::ExtractJavaArchive() {
    return ExtractSection(1, archiveData, ExtractChunkSize, "\r\n%s %s ....\r\n", &archivePath,
                          &archiveExtracted, &archiveFile);
}

bool LauncherApp::ExtractSection(uint8_t id, const std::vector<uint8_t>& data, size_t chunkSize,
                                 const char* traceFormat, std::string* path, bool* extracted,
                                 ScopedHandle* held) {
    if (!packageLoaded && !LoadPackage()) return false;

    const PackageSection& section = package.Section(id);
    std::string folder;
    if (!TempFolderWithSpace(data.size(), &folder)) {
        ShowErrorBox(ProgressWindow, IDS_NO_DISK_SPACE, title);
        WriteLogLine(log, "\r\n%s %s %s (%d)\r\n",
                     {LoadText(IDS_NOT_ENOUGH_SPACE), section.name, LoadText(IDS_OF_SIZE),
                      static_cast<int32_t>(data.size())});
        return false;
    }
    const std::string target = folder + section.name;
    if (log.tracing()) WriteLogLine(log, traceFormat, {LoadText(IDS_EXTRACTING_FILE), target});
    // Known before the first byte is written: an abort may stop this thread
    // in the middle of the write, and the file is then deleted all the same.
    *path = target;

    // A file that cannot be created new is a failure: running a file this
    // run did not write would run whatever another program left there.
    if (WriteExtractedFile(target, data.data(), data.size(), chunkSize, held) !=
        WriteOutcome::Written) {
        path->clear();
        WriteLogLine(log, "\r\n%s %s %s ...\r\n",
                     {LoadText(IDS_ERROR_OCCURED_WHILE), LoadText(IDS_EXTRACTING_FILE), target});
        return false;
    }
    *extracted = true;
    return true;
}

bool LauncherApp::ExtractSearchCriteria() {
    if (!packageLoaded && !LoadPackage()) return false;
    if (log.tracing()) WriteLogLine(log, "\r\n%s...\r\n", {LoadText(IDS_EXTRACTING_CRITERIA)});
    searchCriteria = CriteriaFromRecord(criteriaData);
    return !searchCriteria.empty();
}

}  // namespace tarnwick
