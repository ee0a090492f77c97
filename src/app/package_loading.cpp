#include "app/launcher_run.h"
#include "resources/resource_ids.h"

namespace tarnwick {

StepResult LauncherRun::LoadPackage() {
    const std::string& own = settings_.ownPath;
    if (!package_.ReadSectionTable(own, log_)) {
        WriteLogLine(log_, "\r\n %s %s\r\n", {LoadText(IDS_READ_FAILED), own});
        return StepResult::Failed(IDS_READ_FAILED, RunUi::BoxOwner::None);
    }
    packageSettings_ = LoadSettings(package_, files_, log_);

    std::vector<uint8_t>* const buffers[] = {&archiveData_, &verifyClassData_, &criteriaData_};
    // Sizes come from the file: every section must lie inside it before a
    // buffer of its size is made, so a forged size cannot exhaust memory.
    bool readable = true;
    for (uint8_t id = 1; id <= 3; ++id) readable = readable && package_.Section(id).LiesInFile();
    for (uint8_t id = 1; readable && id <= 3; ++id) {
        const PackageSection& section = package_.Section(id);
        std::vector<uint8_t>& buffer = *buffers[id - 1];
        buffer.assign(static_cast<size_t>(section.size), 0);
        readable = section.ReadData(files_, buffer.data());
    }
    if (!readable) {
        WriteLogLine(log_, "\r\n %s %s %s\r\n",
                     {LoadText(IDS_CORRUPTED), LoadText(IDS_INSTALLATION_EXECUTABLE), own});
        return StepResult::Failed(IDS_INVALID_EXECUTABLE);
    }
    packageLoaded_ = true;
    return StepResult::Done();
}

}  // namespace tarnwick
