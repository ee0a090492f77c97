#include "base/win32/own_module.h"

#include "base/win32/ansi_text.h"

namespace tarnwick {

std::string OwnExecutablePath() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    // A path cut to the buffer comes back as MAX_PATH characters: none then.
    std::string ansi;
    if (length == 0 || length >= MAX_PATH || !AnsiPath(std::wstring(path, length), &ansi)) return std::string();
    return ansi;
}

std::u16string OwnCommandLineArguments() {
    const wchar_t* text = ::GetCommandLineW();
    // The program name is skipped as the C runtime skips it for WinMain: to
    // the first blank outside quotes, then every blank or control character.
    bool quoted = false;
    for (; *text > L' ' || (*text != 0 && quoted); ++text) {
        if (*text == L'"') quoted = !quoted;
    }
    while (*text != 0 && *text <= L' ') ++text;
    return std::u16string(reinterpret_cast<const char16_t*>(text));
}

}  // namespace tarnwick
