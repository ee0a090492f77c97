// The Java archive reader over arbitrary bytes: never crashes, and a
// resource it lists can be read exactly when it lies inside the file.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz_check.h"
#include "package/java_archive.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tarnwick::MemoryFiles files;
    files.Add("a.class", std::vector<uint8_t>(data, data + size));
    static const tarnwick::EnglishTexts texts;
    DiscardLog log;
    log.SetTracing(true);
    tarnwick::JavaArchive archive(files, texts, log);
    archive.ReadArchive("a.class");
    for (const auto& entry : archive.sections()) {
        for (const tarnwick::ArchiveResource& resource : entry.second.resources) {
            if (resource.size == 0 || !resource.LiesInFile()) continue;
            std::vector<uint8_t> buffer(resource.size);
            Check(resource.ReadData(files, buffer.data()));
        }
    }
    return 0;
}
