#include "package/java_archive.h"

#include <new>

#include "base/big_endian.h"
#include "resources/resource_ids.h"

namespace tarnwick {
namespace {

uint64_t Join(const UInt64Halves& value) {
    return (uint64_t{value.high} << 32) | value.low;
}

int32_t Low32(uint64_t value) {
    return static_cast<int32_t>(static_cast<uint32_t>(value));
}

// The smallest resource record: extra length, name length and size, all empty.
constexpr uint64_t kMinRecordSize = 4 + 2 + 4;

}  // namespace

bool JavaArchive::ReadArchive(const std::string& path) {
    // Records are bounded by the file, not by memory: a large archive with
    // tiny records may still claim more than a 32-bit process can hold.
    try {
        return ReadWholeArchive(path);
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool JavaArchive::ReadWholeArchive(const std::string& path) {
    if (path.empty()) {
        WriteLogLine(log_, "\r\n%s \r\n", {texts_.Text(IDS_NEED_ARCHIVE_PATH)});
        return false;
    }
    path_ = path;
    // No line end: the section-count line continues it.
    if (log_.tracing()) WriteLogLine(log_, "\r\n%s %s ", {texts_.Text(IDS_READING_ARCHIVE), path});

    std::unique_ptr<ByteSource> file = files_.Open(path);
    if (!file) {
        WriteLogLine(log_, "%s %s \r\n", {texts_.Text(IDS_COULD_NOT_OPEN), path});
        return false;
    }
    UInt64Halves trailer;
    if (!file->Size(&fileSize_) || fileSize_ < 8 || !file->Seek(fileSize_ - 8) ||
        !ReadUInt64(*file, &trailer)) {
        return false;
    }
    tableOffset_ = Join(trailer);
    if (tableOffset_ >= fileSize_ || !file->Seek(tableOffset_)) {
        WriteLogLine(log_, "%s %s %s\r\n", {texts_.Text(IDS_OFFSET_TABLE_OFFSET_IN), path,
                                            texts_.Text(IDS_OUT_OF_FILE_RANGE)});
        return false;
    }
    if (!ReadUInt16(*file, &sectionCount_)) return false;
    if (log_.tracing()) {
        WriteLogLine(log_, "%s %d %s...\r\n",
                     {texts_.Text(IDS_WITH), int32_t{sectionCount_}, texts_.Text(IDS_SECTIONS)});
    }

    uint64_t entry = tableOffset_ + 2;
    for (uint16_t k = 0; k < sectionCount_; ++k) {
        ArchiveSection section;
        uint16_t nameLength = 0;
        if (!ReadSection(*file, entry, &section, &nameLength)) return false;
        if (log_.tracing()) {
            WriteLogLine(log_, "\t%s:(%d) %s(%s), %s(%d), %s(%d), %s(%s), %s(%d)\r\n",
                         {texts_.Text(IDS_SECTION_INFO), int32_t{k}, texts_.Text(IDS_NAME),
                          section.name, texts_.Text(IDS_SIZE), Low32(section.dataSize),
                          texts_.Text(IDS_RESOURCE_COUNT), static_cast<int32_t>(section.resourceCount),
                          texts_.Text(IDS_COMPRESSED),
                          texts_.Text(section.compressed != 0 ? IDS_YES : IDS_NO),
                          texts_.Text(IDS_RESOURCE_FILE_OFFSET), Low32(section.headerOffset)});
        }
        const std::string name = section.name;
        sections_[name] = std::move(section);
        // The step uses the header's name length: the table entry's name
        // must have the same length.
        entry += uint64_t{nameLength} + 10;
    }
    return true;
}

bool JavaArchive::ReadSection(ByteSource& file, uint64_t entry, ArchiveSection* section,
                              uint16_t* nameLength) {
    UInt64Halves headerOffset;
    UInt64Halves dataSize;
    if (!file.Seek(entry) || !ReadCountedString(file, &section->name) ||
        !ReadUInt64(file, &headerOffset)) {
        return false;
    }
    section->path = path_;
    section->headerOffset = Join(headerOffset);
    // A header is parsed once: none at or inside what another section took.
    const uint64_t limit = parsed_.FreeUntil(section->headerOffset);
    if (limit == section->headerOffset) return false;
    if (!file.Seek(section->headerOffset) || !ReadCountedString(file, &section->name, nameLength) ||
        !ReadUInt32(file, &section->resourceCount) || !ReadUInt64(file, &dataSize) ||
        !ReadByte(file, &section->compressed)) {
        return false;
    }
    section->dataSize = Join(dataSize);
    uint64_t position = section->headerOffset + 2 + *nameLength + 4 + 8 + 1;
    if (position > limit) return false;
    if (section->compressed != 0) {
        parsed_.Add(section->headerOffset, position);
        return true;
    }
    // Records that cannot all fit in the rest of the file are never all read.
    if (position > fileSize_ || section->resourceCount > (fileSize_ - position) / kMinRecordSize) return false;

    if (log_.tracing()) {
        WriteLogLine(log_, "\t%s %d %s...\r\n",
                     {texts_.Text(IDS_READING), static_cast<int32_t>(section->resourceCount),
                      texts_.Text(IDS_RESOURCE)});
    }
    for (uint32_t j = 0; j < section->resourceCount; ++j) {
        ArchiveResource resource;
        uint64_t recordSize = 0;
        if (!ReadResource(file, position, &resource, &recordSize) || recordSize > limit - position) {
            return false;
        }
        if (log_.tracing()) {
            WriteLogLine(log_, "\t\t%s (%d) : %s(%s), %s(%d), %s(%d)\r\n",
                         {texts_.Text(IDS_RESOURCE), static_cast<int32_t>(j), texts_.Text(IDS_NAME),
                          resource.name, texts_.Text(IDS_SIZE), static_cast<int32_t>(resource.size),
                          texts_.Text(IDS_FILE_OFFSET), Low32(resource.dataOffset)});
        }
        section->resources.push_back(std::move(resource));
        position += recordSize;
    }
    parsed_.Add(section->headerOffset, position);
    return true;
}

bool JavaArchive::ReadResource(ByteSource& file, uint64_t position, ArchiveResource* resource,
                               uint64_t* recordSize) {
    if (!file.Seek(position) || !ReadUInt32(file, &resource->extraLength)) return false;
    if (resource->extraLength == 1) {
        if (!ReadByte(file, &resource->flag)) return false;
    } else if (!file.Seek(position + 4 + resource->extraLength)) {
        return false;
    }
    uint16_t nameLength = 0;
    if (!ReadCountedString(file, &resource->name, &nameLength) || !ReadUInt32(file, &resource->size)) {
        return false;
    }
    resource->path = path_;
    resource->fileSize = fileSize_;
    resource->dataOffset = position + 4 + resource->extraLength + 2 + nameLength + 4;
    *recordSize = 4 + uint64_t{resource->extraLength} + 2 + nameLength + 4 + resource->size;
    return true;
}

}  // namespace tarnwick
