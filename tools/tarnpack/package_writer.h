// `tarnpack build`: the setup executable, the launcher's bytes followed by
// the package (the layout package/installation_package.h reads) exactly as
// the launcher expects it: three sections back to back behind a 43-byte table,
// and a fourth, the launcher settings, only when there are settings.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/byte_source.h"

namespace tarnpack {

inline constexpr char kVerifySectionName[] = "Verify.class";
inline constexpr char kCriteriaSectionName[] = "vm search criteria";

struct PackageInputs {
    std::string launcher;  // a stripped launcher.exe with nothing behind its image
    std::string archive;   // section 1, named after its file name
    std::string verify;    // section 2
    std::string criteria;  // the text of section 3
    std::vector<std::string> settings;  // "key=value" lines of section 4; none: no section
};

struct PackageEntry {
    uint8_t id = 0;
    std::string name;
    uint64_t dataSize = 0;
};

// The section table for sections that follow it back to back in the order
// given: count, then per entry id, size (name header included) and offset
// from the package start. Throws PackError when a size does not fit 32 bits.
std::vector<uint8_t> SectionTable(const std::vector<PackageEntry>& entries);

// Section 3's data: a 16-bit length, then the text. Throws PackError for
// more than 65,535 bytes.
std::vector<uint8_t> CriteriaRecord(const std::string& text);

struct PackageSummary {
    uint32_t start = 0;  // the launcher's image size, where the package begins
    uint64_t fileSize = 0;
};

// Writes the setup executable to `output` or throws PackError and leaves no
// file.
PackageSummary WritePackage(tarnwick::SourceOpener& files, const PackageInputs& inputs,
                            const std::string& output);

}  // namespace tarnpack
