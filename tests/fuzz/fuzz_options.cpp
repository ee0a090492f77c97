// Fuzzes the command-line parser and the path resolver with arbitrary
// UTF-16 text: neither may crash, absolute paths stay as they are, and a
// resolved relative path keeps no "." or ".." component.
#include <cstddef>
#include <cstdint>
#include <string>

#include "base/path_rules.h"
#include "options/launcher_options.h"

namespace {

std::string Narrow(const std::u16string& text) {
    std::string out;
    for (char16_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::u16string text;
    for (size_t i = 0; i + 1 < size; i += 2) {
        text += static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    }
    tarnwick::LauncherOptions options;
    options.ParseCommandLine(text, &Narrow);

    const std::u16string base = u"C:\\setup\\";
    for (const std::u16string* value : {&options.jvm, &options.archive, &options.verify, &options.log}) {
        const std::u16string resolved = tarnwick::ResolveOptionPath(*value, base);
        if (!tarnwick::PathRoot(*value).empty()) {
            // Absolute paths are taken as they are.
            if (resolved != *value) __builtin_trap();
            continue;
        }
        // A relative path stays below the base's drive, and no "." or ".."
        // component survives normalisation.
        if (resolved.compare(0, 2, u"C:") != 0) __builtin_trap();
        size_t start = 0;
        while (start <= resolved.size()) {
            size_t end = resolved.find(u'\\', start);
            if (end == std::u16string::npos) end = resolved.size();
            const std::u16string part = resolved.substr(start, end - start);
            if (part == u"." || part == u"..") __builtin_trap();
            start = end + 1;
        }
    }
    tarnwick::BaseFolderOf(text);
    return 0;
}
