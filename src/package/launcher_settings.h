// Package section 4: settings that opt a package into launcher behaviour
// beyond the classic run. Its data is text, one "key=value" line each (LF or
// CR LF line ends). A package without the section runs as it always did, and
// a launcher that knows no section 4 reads and ignores it.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "base/byte_source.h"
#include "base/log_sink.h"
#include "package/installation_package.h"

namespace tarnwick {

inline constexpr uint8_t kSettingsSectionId = 4;
inline constexpr char kSettingsSectionName[] = "launcher settings";

struct SettingLine {
    std::string key;    // blanks and tabs trimmed
    std::string value;  // after the first '=', trimmed; empty when there is none
    std::string text;   // the whole line, trimmed, as the log shows it
};

// Every non-empty line of the section's data, in order.
std::vector<SettingLine> ReadSettingLines(const std::vector<uint8_t>& data);

// The launcher's languages as settings name them (title.ja=, ...): the
// names of their texts in src/resources.
bool IsLanguageTag(const std::string& tag);

struct LauncherSettings {
    bool modernSearch = false;       // search=modern
    bool installerExitCode = false;  // exitcode=installer
    // title= (key "") and title.<language>=: the caption of the run's
    // windows instead of the launcher's own; UTF-8, never empty.
    std::map<std::string, std::string> titles;
    // Lines whose key or value this launcher does not know; they set nothing.
    std::vector<std::string> ignored;
};

// What the lines set; a later line of the same key wins.
LauncherSettings InterpretSettings(const std::vector<SettingLine>& lines);

// A UTF-8 text in the user's code page; false when it is no UTF-8 or a
// character of it has no place there.
using CodePageText = std::function<bool(const std::string& utf8, std::string* text)>;
// True for the first byte of a double-byte character of the code page.
using LeadByte = std::function<bool(uint8_t)>;

// The caption the run shows in `language`: its own title, else title=, the
// first the code page can show, cut to `capacity` bytes with the terminator
// and never inside a double-byte character. Empty when neither is set or
// can be shown: the launcher then keeps its own (string 8).
std::string ChooseTitle(const LauncherSettings& settings, const std::string& language,
                        const CodePageText& toCodePage, const LeadByte& isLeadByte, size_t capacity);

// The settings of the package whose table `package` has read: defaults when
// it has no section 4 or the section cannot be read. With the trace on, every
// ignored line is logged.
LauncherSettings LoadSettings(InstallationPackage& package, SourceOpener& files, LogSink& log);

}  // namespace tarnwick
