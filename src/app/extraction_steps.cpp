#include "app/launcher_run.h"
#include "base/win32/temp_folder.h"
#include "package/criteria_record.h"
#include "resources/resource_ids.h"

namespace tarnwick {

namespace {

// The Java archive is written in writes of this size.
constexpr uint32_t ExtractChunkSize = 1024;
// The verify class goes out in a single write (any real one is far smaller).
constexpr uint32_t kWholeVerifyClass = 64 * 1024;

}  // namespace

StepResult LauncherRun::ExtractVerifyClass() {
    return ExtractSection(2, kWholeVerifyClass, "\r\n%s %s ...\r\n", &verifyClassFile_, &verifyClassPath_);
}

StepResult LauncherRun::ExtractJavaArchive() {
    return ExtractSection(1, ExtractChunkSize, "\r\n%s %s ....\r\n", &archiveFile_, &archivePath_);
}

bool LauncherRun::RunFolderWithSpace(uint64_t requiredSize, std::string* folder) {
    std::string temp;
    if (!TempFolderWithSpace(requiredSize, &temp)) return false;
    // A folder that cannot be made leaves a path in which no file can be
    // created: the extraction then fails as for any file not created.
    runFolder_.Make(temp);
    *folder = runFolder_.path();
    return true;
}

StepResult LauncherRun::ExtractSection(uint8_t id, uint32_t writeSize, const char* traceFormat, ExtractedFile* file,
                                       std::string* path) {
    if (!packageLoaded_) {
        const StepResult loaded = LoadPackage();
        if (!loaded.done) return loaded;
    }
    const PackageSection& section = package_.Section(id);
    std::string folder;
    if (!RunFolderWithSpace(section.size, &folder)) {
        WriteLogLine(log_, "\r\n%s %s %s (%d)\r\n",
                     {LoadText(IDS_NOT_ENOUGH_SPACE), section.name, LoadText(IDS_OF_SIZE),
                      static_cast<int32_t>(section.size)});
        return StepResult::Failed(IDS_NO_DISK_SPACE);
    }
    const std::string target = folder + section.name;
    if (log_.tracing()) WriteLogLine(log_, traceFormat, {LoadText(IDS_EXTRACTING_FILE), target});

    // Streamed from the executable. A file that cannot be created new is a
    // failure: running a file this run did not write would run whatever
    // another program left there.
    const std::unique_ptr<ByteSource> source = section.OpenData(files_);
    if (!source) return PackageUnreadable();
    const WriteOutcome written = file->Write(target, *source, section.size, writeSize, &cancel_);
    if (written == WriteOutcome::Cancelled) return StepResult::Failed();
    if (written == WriteOutcome::ReadFailed) return PackageUnreadable();
    if (written != WriteOutcome::Written) {
        WriteLogLine(log_, "\r\n%s %s %s ...\r\n",
                     {LoadText(IDS_ERROR_OCCURED_WHILE), LoadText(IDS_EXTRACTING_FILE), target});
        return StepResult::Failed();
    }
    *path = target;
    return StepResult::Done();
}

StepResult LauncherRun::ExtractSearchCriteria() {
    if (!packageLoaded_) {
        const StepResult loaded = LoadPackage();
        if (!loaded.done) return loaded;
    }
    if (log_.tracing()) WriteLogLine(log_, "\r\n%s...\r\n", {LoadText(IDS_EXTRACTING_CRITERIA)});
    searchCriteria_ = CriteriaFromRecord(criteriaData_);
    return searchCriteria_.empty() ? StepResult::Failed() : StepResult::Done();
}

}  // namespace tarnwick
