// `tarnpack archive`: the installer's main class with the installer's
// resources in one trailing class attribute (the layout is the one
// package/java_archive.h reads).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/byte_source.h"

namespace tarnpack {

// The name of the class attribute that carries the sections.
inline constexpr char kResourcesAttribute[] = "TarnwickResources";
// The section in which the launcher looks for a JVM to install.
inline constexpr char kBundledJvmSection[] = "BundledVMInstallers";

struct ArchiveResourceInput {
    std::string name;  // as the installer will write it out
    std::string path;  // where its data comes from
    // The record's extra bytes. A single byte is the resource's flag: 1
    // marks a JVM installer for the launcher.
    std::vector<uint8_t> extra;
};

struct ArchiveSectionInput {
    std::string name;
    bool compressed = false;
    std::vector<ArchiveResourceInput> resources;
};

struct ArchiveInputs {
    std::string classFile;
    std::vector<ArchiveSectionInput> sections;  // in this order in the file
};

struct ArchiveSummary {
    uint64_t tableOffset = 0;
    uint64_t fileSize = 0;
};

// Writes the archive to `output` or throws PackError and leaves no file.
ArchiveSummary WriteArchive(tarnwick::SourceOpener& files, const ArchiveInputs& inputs,
                            const std::string& output);

}  // namespace tarnpack
