// The package's section table over arbitrary bytes behind a real PE header:
// reading never crashes, every line is logged, and only sections that lie
// inside the file are ever given a buffer.
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "../host/test_bytes.h"
#include "fuzz_check.h"
#include "package/installation_package.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Behind a PE image of one 0x200-byte section: the package starts at 0x600.
    static const std::vector<uint8_t> image = tarnwick::test::PeImage();
    std::vector<uint8_t> file = image;
    file.insert(file.end(), data, data + size);

    tarnwick::MemoryFiles files;
    files.Add("setup.exe", std::move(file));
    static const tarnwick::EnglishTexts texts;
    DiscardLog log;
    log.SetTracing(true);
    tarnwick::InstallationPackage package(files, texts);
    if (!package.ReadSectionTable("setup.exe", log)) return 0;
    for (const auto& entry : package.sections()) {
        const tarnwick::PackageSection& section = entry.second;
        if (!section.LiesInFile()) continue;
        Check(section.dataOffset + uint64_t(section.size) <= image.size() + size);
        std::vector<uint8_t> buffer(static_cast<size_t>(section.size));
        Check(section.ReadData(files, buffer.data()));
    }
    return 0;
}
