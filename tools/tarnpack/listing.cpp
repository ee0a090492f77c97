#include "listing.h"

#include <vector>

#include "base/log_sink.h"
#include "base/texts.h"
#include "pack_error.h"
#include "package/criteria_record.h"
#include "package/installation_package.h"
#include "package/java_archive.h"
#include "package/launcher_settings.h"

namespace tarnpack {
namespace {

// The trace lines end in CR LF for the Windows log file; on a console a
// plain line end reads better, and Windows stdout adds the CR back.
class StreamLog final : public tarnwick::LogSink {
  public:
    explicit StreamLog(std::ostream& out) : out_(out) {}
    bool IsOpen() const override { return true; }
    void WriteLine(std::string_view line) override {
        for (char c : line) {
            if (c != '\r') out_.put(c);
        }
    }

  private:
    std::ostream& out_;
};

std::string CriteriaText(tarnwick::SourceOpener& files, const std::string& path,
                         const tarnwick::PackageSection& section) {
    if (section.path.empty()) throw PackError(path + " has no criteria section (id 3)");
    if (!section.LiesInFile()) throw PackError("the criteria section of " + path + " reaches past its end");
    std::vector<uint8_t> data(static_cast<size_t>(section.size));
    if (!data.empty() && !section.ReadData(files, data.data())) {
        throw PackError("cannot read the criteria section of " + path);
    }
    return tarnwick::CriteriaFromRecord(data);
}

}  // namespace

void ListPackage(tarnwick::SourceOpener& files, const std::string& path, std::ostream& out) {
    const tarnwick::EnglishTexts texts;
    StreamLog log(out);
    log.SetTracing(true);
    tarnwick::InstallationPackage package(files, texts);
    const bool read = package.ReadSectionTable(path, log);
    out << "\n";
    if (!read) throw PackError("the launcher cannot read the package of " + path);
    out << "package start " << package.start() << ", " << package.sectionCount() << " sections\n";
    out << "criteria: " << CriteriaText(files, path, package.Section(3)) << "\n";
    if (package.sections().count(tarnwick::kSettingsSectionId) != 0) {
        const tarnwick::PackageSection& section = package.Section(tarnwick::kSettingsSectionId);
        if (!section.LiesInFile()) throw PackError("the settings section of " + path + " reaches past its end");
        std::vector<uint8_t> data(static_cast<size_t>(section.size));
        if (!data.empty() && !section.ReadData(files, data.data())) {
            throw PackError("cannot read the settings section of " + path);
        }
        for (const tarnwick::SettingLine& line : tarnwick::ReadSettingLines(data)) out << "setting: " << line.text << "\n";
    }
}

void ListArchive(tarnwick::SourceOpener& files, const std::string& path, std::ostream& out) {
    const tarnwick::EnglishTexts texts;
    StreamLog log(out);
    log.SetTracing(true);
    tarnwick::JavaArchive archive(files, texts, log);
    const bool read = archive.ReadArchive(path);
    out << "\n";
    if (!read) throw PackError("the launcher cannot read the Java archive " + path);
    out << "offset table at " << archive.tableOffset() << ", " << archive.sectionCount() << " sections\n";
}

bool LooksLikeExecutable(tarnwick::SourceOpener& files, const std::string& path) {
    std::unique_ptr<tarnwick::ByteSource> file = files.Open(path);
    if (!file) throw PackError("cannot open " + path);
    uint8_t magic[2] = {0, 0};
    return file->Read(magic, sizeof magic) && magic[0] == 'M' && magic[1] == 'Z';
}

}  // namespace tarnpack
