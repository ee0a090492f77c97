// Fuzzes the command-line parser and the path resolver with arbitrary
// UTF-16 text: neither may crash, and resolving must be stable.
#include <cstddef>
#include <cstdint>
#include <string>

#include "app/launcher_options.h"
#include "app/option_path.h"

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
        // A resolved path is absolute unless the input was empty.
        if (!value->empty() && tarnwick::PathRoot(resolved).empty()) __builtin_trap();
        // Resolving an absolute path again changes nothing.
        if (tarnwick::ResolveOptionPath(resolved, base) != resolved) __builtin_trap();
    }
    tarnwick::BaseFolderOf(text);
    return 0;
}
