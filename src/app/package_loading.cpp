#include <algorithm>

#include "app/launcher_run.h"
#include "resources/resource_ids.h"

namespace tarnwick {
namespace {

// The criteria record's length is 16 bits: nothing past its 2 + 65,535
// bytes can be part of the text.
constexpr uint32_t kCriteriaRecordLimit = 2 + 0xFFFF;

}  // namespace

// Only the criteria are read here: the two class files are streamed from the
// executable into their files when they are extracted.
StepResult LauncherRun::LoadPackage() {
    const std::string& own = settings_.ownPath;
    if (!package_.ReadSectionTable(own, log_)) {
        WriteLogLine(log_, "\r\n %s %s\r\n", {LoadText(IDS_READ_FAILED), own});
        return StepResult::Failed(IDS_READ_FAILED, RunUi::BoxOwner::None);
    }
    packageSettings_ = LoadSettings(package_, files_, log_);

    // Sizes come from the file: every section must lie inside it.
    bool readable = true;
    for (uint8_t id = 1; id <= 3; ++id) readable = readable && package_.Section(id).LiesInFile();
    if (readable) {
        FileRegion record = package_.Section(3);
        record.size = std::min(record.size, kCriteriaRecordLimit);
        criteriaData_.assign(record.size, 0);
        readable = record.ReadData(files_, criteriaData_.data());
    }
    if (!readable) return PackageUnreadable();
    packageLoaded_ = true;
    return StepResult::Done();
}

StepResult LauncherRun::PackageUnreadable() {
    WriteLogLine(log_, "\r\n %s %s %s\r\n",
                 {LoadText(IDS_CORRUPTED), LoadText(IDS_INSTALLATION_EXECUTABLE), settings_.ownPath});
    return StepResult::Failed(IDS_INVALID_EXECUTABLE);
}

}  // namespace tarnwick
