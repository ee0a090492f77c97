#include "package_writer.h"

#include <limits>

#include "big_endian_writer.h"
#include "class_file.h"
#include "input_file.h"
#include "javacommand/java_command.h"
#include "output_file.h"
#include "pack_error.h"
#include "package/launcher_settings.h"
#include "package/pe_image.h"

namespace tarnpack {
namespace {

// The launcher takes file sizes and positions as 32-bit values.
constexpr uint64_t kMaxOutput = std::numeric_limits<uint32_t>::max();
constexpr uint64_t kEntrySize = 13;

uint64_t SectionSize(const PackageEntry& entry) {
    return 2 + entry.name.size() + entry.dataSize;
}

// The package starts at the image size, so anything already behind the image
// (symbols of an unstripped build, an earlier package) would be taken for it.
uint32_t CheckLauncher(tarnwick::SourceOpener& files, const InputFile& launcher) {
    std::unique_ptr<tarnwick::ByteSource> file = files.Open(launcher.path);
    const uint32_t image = file ? tarnwick::ImageSize(*file) : 0;
    if (image == 0) throw PackError(launcher.path + " is no launcher: it has no readable PE image");
    if (image > launcher.size) {
        throw PackError(launcher.path + " is shorter than its PE image (" + std::to_string(image) +
                        " bytes): it is truncated");
    }
    if (image < launcher.size) {
        throw PackError(launcher.path + " has " + std::to_string(launcher.size - image) +
                        " bytes behind its PE image; use the stripped launcher without a package");
    }
    return image;
}

InputFile ClassInput(tarnwick::SourceOpener& files, const std::string& path) {
    InputFile input = MeasureInput(files, path);
    if (!HasClassMagic(ReadHead(files, input, 4))) {
        throw PackError(path + " is no Java class file: it does not start with CA FE BA BE");
    }
    return input;
}

void WriteCountedName(ByteSink& out, const std::string& name) {
    std::vector<uint8_t> bytes;
    PutCountedString(bytes, name, "the section name");
    out.Write(bytes);
}

}  // namespace

std::vector<uint8_t> SectionTable(const std::vector<PackageEntry>& entries) {
    std::vector<uint8_t> table;
    PutUInt32(table, static_cast<uint32_t>(entries.size()));
    uint64_t offset = 4 + kEntrySize * entries.size();
    for (const PackageEntry& entry : entries) {
        const uint64_t size = SectionSize(entry);
        if (size > std::numeric_limits<uint32_t>::max()) {
            throw PackError("section " + entry.name + " is 4 GiB or larger");
        }
        PutByte(table, entry.id);
        PutUInt32(table, static_cast<uint32_t>(size));
        PutUInt64(table, offset);
        offset += size;
    }
    return table;
}

std::vector<uint8_t> CriteriaRecord(const std::string& text) {
    std::vector<uint8_t> record;
    PutCountedString(record, text, "the criteria text");
    return record;
}

namespace {

// The launcher runs the archive as the class its file name gives (cut
// before ".class") from the unnamed package: that name must be a Java
// identifier, or the JVM is asked for a class that cannot exist. ASCII
// only, as the name travels through the user's code page.
void RequireClassName(const std::string& archive) {
    const std::string name = tarnwick::SplitClassLocation(BaseName(archive)).name;
    const auto part = [](char c, bool first) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == '$' ||
               (!first && c >= '0' && c <= '9');
    };
    bool valid = !name.empty();
    for (size_t i = 0; valid && i < name.size(); ++i) valid = part(name[i], i == 0);
    if (!valid) {
        throw PackError(archive + " would run as the class \"" + name +
                        "\", which is no Java class name (letters, digits, _ and $, not first a digit)");
    }
}

}  // namespace

PackageSummary WritePackage(tarnwick::SourceOpener& files, const PackageInputs& inputs,
                            const std::string& output) {
    const InputFile launcher = MeasureInput(files, inputs.launcher);
    const uint32_t start = CheckLauncher(files, launcher);
    const InputFile archive = ClassInput(files, inputs.archive);
    RequireClassName(inputs.archive);
    const InputFile verify = ClassInput(files, inputs.verify);
    const std::vector<uint8_t> criteria = CriteriaRecord(inputs.criteria);

    std::string settings;
    for (const std::string& line : inputs.settings) settings += line + "\n";
    std::vector<PackageEntry> entries = {{1, BaseName(inputs.archive), archive.size},
                                         {2, kVerifySectionName, verify.size},
                                         {3, kCriteriaSectionName, criteria.size()}};
    if (!settings.empty()) entries.push_back({tarnwick::kSettingsSectionId, tarnwick::kSettingsSectionName, settings.size()});
    // Checked before anything is written: a package the launcher cannot read.
    uint64_t total = launcher.size + 4 + kEntrySize * entries.size();
    for (const PackageEntry& entry : entries) total += SectionSize(entry);
    if (total > kMaxOutput) {
        throw PackError("the setup executable would be " + std::to_string(total) +
                        " bytes; the launcher reads files below 4 GiB only");
    }
    const std::vector<uint8_t> table = SectionTable(entries);

    OutputFile out(output);
    CopyInput(files, launcher, out);
    out.Write(table);
    WriteCountedName(out, entries[0].name);
    CopyInput(files, archive, out);
    WriteCountedName(out, entries[1].name);
    CopyInput(files, verify, out);
    WriteCountedName(out, entries[2].name);
    out.Write(criteria);
    if (!settings.empty()) {
        WriteCountedName(out, entries[3].name);
        out.Write(std::vector<uint8_t>(settings.begin(), settings.end()));
    }
    const uint64_t fileSize = out.written();
    out.Commit();
    return {start, fileSize};
}

}  // namespace tarnpack
