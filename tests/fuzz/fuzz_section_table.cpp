// The package's section table over arbitrary bytes behind a real PE header:
// reading never crashes, every line is logged, and only sections that lie
// inside the file are ever given a buffer.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "package/installation_package.h"

namespace {

class DiscardLog final : public tarnwick::LogSink {
  public:
    bool IsOpen() const override { return true; }
    void WriteLine(std::string_view) override {}
};

// A PE image of one 0x200-byte section: the package starts at 0x600.
std::vector<uint8_t> Image() {
    std::vector<uint8_t> pe(0x600, 0);
    pe[0] = 'M';
    pe[1] = 'Z';
    pe[0x3C] = 0x40;
    pe[0x40] = 'P';
    pe[0x41] = 'E';
    pe[0x46] = 1;     // one section
    pe[0x54] = 0xE0;  // optional header size
    const size_t header = 0x40 + 24 + 0xE0;
    pe[header + 17] = 0x02;  // SizeOfRawData 0x200
    pe[header + 21] = 0x04;  // PointerToRawData 0x400
    return pe;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::vector<uint8_t> image = Image();
    std::vector<uint8_t> file = image;
    file.insert(file.end(), data, data + size);

    tarnwick::MemoryFiles files;
    files.Add("setup.exe", file);
    tarnwick::EnglishTexts texts;
    DiscardLog log;
    log.SetTracing(true);
    tarnwick::InstallationPackage package(files, texts);
    if (!package.ReadSectionTable("setup.exe", log)) return 0;
    for (const auto& entry : package.sections()) {
        const tarnwick::PackageSection& section = entry.second;
        if (!section.LiesInFile()) continue;
        if (section.dataOffset + uint64_t(section.size) > file.size()) __builtin_trap();
        std::vector<uint8_t> buffer(static_cast<size_t>(section.size));
        if (!section.ReadData(files, buffer.data())) __builtin_trap();
    }
    return 0;
}
