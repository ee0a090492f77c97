#include "package/installation_package.h"

#include "base/big_endian.h"
#include "package/pe_image.h"
#include "resources/resource_ids.h"

namespace tarnwick {

bool InstallationPackage::ReadSectionTable(const std::string& path, LogSink& log) {
    if (path.empty()) {
        WriteLogLine(log, "\r\n%s \r\n", {texts_.Text(IDS_NEED_SETUP_PATH)});
        return false;
    }
    path_ = path;
    if (log.tracing()) WriteLogLine(log, "\r\n%s %s \r\n", {texts_.Text(IDS_READING_EXECUTABLE), path});

    std::unique_ptr<ByteSource> file = files_.Open(path);
    if (!file) {
        WriteLogLine(log, "\r\n%s %s \r\n", {texts_.Text(IDS_COULD_NOT_OPEN), path});
        return false;
    }
    start_ = ImageSize(*file);
    uint64_t fullSize = 0;
    if (!file->Size(&fullSize)) fullSize = 0;
    // The launcher works with files below 4 GiB: sizes are 32-bit.
    const uint32_t fileSize = static_cast<uint32_t>(fullSize);
    if (log.tracing()) {
        WriteLogLine(log, "\t%s (%d), %s (%d) ..\r\n",
                     {texts_.Text(IDS_EXE_SIZE), static_cast<int32_t>(start_),
                      texts_.Text(IDS_TOTAL_FILE_SIZE), static_cast<int32_t>(fileSize)});
    }
    if (start_ == 0 || fileSize <= start_) {
        WriteLogLine(log, "%s %s %s", {texts_.Text(IDS_INSTALLATION_EXECUTABLE), path,
                                       texts_.Text(IDS_NOT_ALL_COMPONENTS)});
        return false;
    }

    uint32_t count = 0;
    if (!file->Seek(start_) || !ReadUInt32(*file, &count)) return false;
    sectionCount_ = static_cast<int32_t>(count);
    if (log.tracing()) {
        WriteLogLine(log, "\t%s %d %s...\r\n",
                     {texts_.Text(IDS_READING), sectionCount_, texts_.Text(IDS_SECTION_INFO)});
    }
    // Entries that cannot all fit in the rest of the file are never all read.
    if (count > (fileSize - start_ - 4) / 13) return false;
    for (int32_t i = 0; i < sectionCount_; ++i) {
        PackageSection section;
        if (!ReadEntry(*file, uint64_t{start_} + 4 + 13 * uint64_t(i), fileSize, &section)) return false;
        if (log.tracing()) {
            WriteLogLine(log, "\t%s: %s(%s), %s(%d), %s(%d)\r\n",
                         {texts_.Text(IDS_SECTION_INFO), texts_.Text(IDS_NAME), section.name,
                          texts_.Text(IDS_SIZE), static_cast<int32_t>(section.size), texts_.Text(IDS_FILE_OFFSET),
                          static_cast<int32_t>(static_cast<uint32_t>(section.dataOffset))});
        }
        sections_[section.id] = section;
    }
    return true;
}

bool InstallationPackage::ReadEntry(ByteSource& file, uint64_t position, uint64_t fileSize,
                                    PackageSection* section) {
    uint32_t size = 0;
    UInt64Halves offset;
    if (!file.Seek(position) || !ReadByte(file, &section->id) || !ReadUInt32(file, &size) ||
        !ReadUInt64(file, &offset)) {
        return false;
    }
    section->path = path_;
    section->offset = (uint64_t{offset.high} << 32) | offset.low;
    section->fileSize = fileSize;
    uint16_t nameLength = 0;
    // Each name is read once: none at or inside another entry's name.
    const uint64_t at = uint64_t{start_} + section->offset;
    const uint64_t limit = names_.FreeUntil(at);
    if (limit == at || !file.Seek(at) || !ReadCountedString(file, &section->name, &nameLength) ||
        uint64_t{nameLength} + 2 > limit - at) {
        return false;
    }
    names_.Add(at, at + 2 + nameLength);
    // The size is a signed field: 2^31 or more is negative and no section.
    const int64_t dataSize = int64_t{static_cast<int32_t>(size)} - (int64_t{nameLength} + 2);
    section->size = static_cast<uint32_t>(dataSize);
    section->dataOffset = uint64_t{start_} + section->offset + 2 + nameLength;
    return dataSize >= 0;
}

}  // namespace tarnwick
