#include "archive_writer.h"

#include <cstdint>
#include <limits>

#include "big_endian_writer.h"
#include "class_file.h"
#include "input_file.h"
#include "output_file.h"
#include "pack_error.h"
#include "raw_deflater.h"

namespace tarnpack {
namespace {

// The attribute's length field is 32-bit.
constexpr uint64_t kMaxPayload = std::numeric_limits<uint32_t>::max();

struct PlannedResource {
    std::vector<uint8_t> head;  // the record up to its data
    InputFile file;
};

struct PlannedSection {
    std::vector<uint8_t> header;  // name, count, data size, compressed flag
    std::vector<PlannedResource> resources;
    bool isCompressed = false;
    std::vector<uint8_t> compressed;  // the whole data of a compressed section
    uint64_t dataSize = 0;
};

PlannedResource PlanResource(tarnwick::SourceOpener& files, const ArchiveResourceInput& input) {
    PlannedResource resource{{}, MeasureInput(files, input.path)};
    if (resource.file.size > std::numeric_limits<uint32_t>::max()) {
        throw PackError(input.path + " is 4 GiB or larger; a resource must be smaller");
    }
    PutUInt32(resource.head, static_cast<uint32_t>(input.extra.size()));
    resource.head.insert(resource.head.end(), input.extra.begin(), input.extra.end());
    PutCountedString(resource.head, input.name, "the resource name " + input.name.substr(0, 40));
    PutUInt32(resource.head, static_cast<uint32_t>(resource.file.size));
    return resource;
}

void WriteRecords(tarnwick::SourceOpener& files, const std::vector<PlannedResource>& resources,
                  ByteSink& sink) {
    for (const PlannedResource& resource : resources) {
        sink.Write(resource.head);
        CopyInput(files, resource.file, sink);
    }
}

PlannedSection PlanSection(tarnwick::SourceOpener& files, const ArchiveSectionInput& input) {
    PlannedSection section;
    section.isCompressed = input.compressed;
    for (const ArchiveResourceInput& resource : input.resources) {
        section.resources.push_back(PlanResource(files, resource));
    }
    if (input.compressed) {
        // The compressed size goes into the header, so compress now.
        RawDeflater deflater;
        WriteRecords(files, section.resources, deflater);
        section.compressed = deflater.Finish();
        section.dataSize = section.compressed.size();
    } else {
        for (const PlannedResource& resource : section.resources) {
            section.dataSize += resource.head.size() + resource.file.size;
        }
    }
    PutCountedString(section.header, input.name, "the section name " + input.name.substr(0, 40));
    PutUInt32(section.header, static_cast<uint32_t>(section.resources.size()));
    PutUInt64(section.header, section.dataSize);
    PutByte(section.header, input.compressed ? 1 : 0);
    return section;
}

std::vector<uint8_t> ReadClass(tarnwick::SourceOpener& files, const std::string& path) {
    const InputFile input = MeasureInput(files, path);
    if (input.size > std::numeric_limits<uint32_t>::max())
        throw PackError(path + " is too large for a class file");
    std::vector<uint8_t> bytes = ReadHead(files, input, static_cast<uint32_t>(input.size));
    if (!HasClassMagic(bytes))
        throw PackError(path + " is no Java class file: it does not start with CA FE BA BE");
    return bytes;
}

}  // namespace

ArchiveSummary WriteArchive(tarnwick::SourceOpener& files, const ArchiveInputs& inputs,
                            const std::string& output) {
    const std::vector<uint8_t> classBytes = ReadClass(files, inputs.classFile);
    const ClassLayout layout = ParseClassFile(classBytes, kResourcesAttribute, inputs.classFile);
    if (layout.hasNamedAttribute) {
        throw PackError(inputs.classFile + " already carries resources; pack the class as javac wrote it");
    }
    const std::vector<uint8_t> head =
        StartTrailingAttribute(classBytes, layout, kResourcesAttribute, inputs.classFile);
    if (inputs.sections.size() > 0xFFFF) throw PackError("more than 65535 sections");

    std::vector<PlannedSection> sections;
    for (const ArchiveSectionInput& input : inputs.sections) sections.push_back(PlanSection(files, input));

    // Offsets are absolute: the payload starts behind the attribute's length.
    const uint64_t payloadStart = head.size() + 4;
    uint64_t position = payloadStart;
    std::vector<uint8_t> table;
    PutUInt16(table, static_cast<uint16_t>(sections.size()));
    for (size_t i = 0; i < sections.size(); ++i) {
        PutCountedString(table, inputs.sections[i].name, "the section name");
        PutUInt64(table, position);
        position += sections[i].header.size() + sections[i].dataSize;
    }
    const uint64_t tableOffset = position;
    const uint64_t payloadSize = tableOffset + table.size() + 8 - payloadStart;
    if (payloadSize > kMaxPayload) {
        throw PackError("the resources come to " + std::to_string(payloadSize) +
                        " bytes; a class attribute holds less than 4 GiB");
    }

    OutputFile out(output);
    out.Write(head);
    std::vector<uint8_t> length;
    PutUInt32(length, static_cast<uint32_t>(payloadSize));
    out.Write(length);
    for (const PlannedSection& section : sections) {
        out.Write(section.header);
        if (section.isCompressed) {
            out.Write(section.compressed);
        } else {
            WriteRecords(files, section.resources, out);
        }
    }
    std::vector<uint8_t> trailer;
    PutUInt64(trailer, tableOffset);
    out.Write(table);
    out.Write(trailer);
    const uint64_t fileSize = out.written();
    out.Commit();
    return {tableOffset, fileSize};
}

}  // namespace tarnpack
