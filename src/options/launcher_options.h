// The launcher's command-line options: the record Initialize fills once at
// start-up. Portable: the caller supplies the UTF-16 text and the converter
// to the ANSI code page.
#pragma once

#include <string>

namespace tarnwick {

// Converts UTF-16 text to 8-bit text in the user's ANSI code page.
using AnsiConverter = std::string (*)(const std::u16string& text);

struct LauncherOptions {
    std::u16string jvm;
    std::u16string archive;
    std::u16string verify;
    std::u16string log;
    std::string searchCriteria;  // 8-bit, converted after parsing

    bool searchCriteriaGiven = false;
    bool noSearch = false;
    bool logGiven = false;
    bool silent = false;
    bool logAll = false;

    // Fills the record from `text`, the command line without the program
    // name. Never fails: unknown options and stray values are dropped.
    void ParseCommandLine(const std::u16string& text, AnsiConverter toAnsi);
};

}  // namespace tarnwick
