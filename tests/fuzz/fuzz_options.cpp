// Fuzzes the command-line parser and the path resolver with arbitrary
// UTF-16 text: neither may crash, absolute paths stay as they are, and a
// resolved relative path keeps no "." or ".." component.
#include <cstddef>
#include <cstdint>
#include <string>

#include "options/launcher_options.h"
#include "base/path_rules.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::u16string text;
    for (size_t i = 0; i + 1 < size; i += 2) text += static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    tarnwick::LauncherOptions options;
    // The code page: ASCII through, everything else '?'.
    options.ParseCommandLine(text, [](const std::u16string& wide) {
        std::string out;
        for (char16_t c : wide) out += c < 0x80 ? static_cast<char>(c) : '?';
        return out;
    });

    const std::u16string base = u"C:\\setup\\";
    for (const std::u16string* value : {&options.jvm, &options.archive, &options.verify, &options.log}) {
        const std::u16string resolved = tarnwick::ResolveOptionPath(*value, base);
        if (!tarnwick::PathRoot(*value).empty()) {
            // Absolute paths are taken as they are.
            Check(resolved == *value);
            continue;
        }
        // A relative path stays below the base's drive, and no "." or ".."
        // component survives normalisation.
        Check(resolved.compare(0, 2, u"C:") == 0);
        const std::u16string parts = u"\\" + resolved + u"\\";
        Check(parts.find(u"\\.\\") == std::u16string::npos && parts.find(u"\\..\\") == std::u16string::npos);
    }
    tarnwick::BaseFolderOf(text);
    return 0;
}
