#include "package/launcher_settings.h"

namespace tarnwick {
namespace {

// Settings are a few short lines; anything longer is not ours to read.
constexpr uint32_t kMaxSettingsBytes = 0xFFFF;

std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

constexpr char kTitleKey[] = "title";

// A title's language from its key: "" for title=, the tag of title.<tag>=.
bool TitleLanguage(const std::string& key, std::string* language) {
    if (key == kTitleKey) {
        language->clear();
        return true;
    }
    const std::string prefix = std::string(kTitleKey) + ".";
    if (key.compare(0, prefix.size(), prefix) != 0 || !IsLanguageTag(key.substr(prefix.size()))) return false;
    *language = key.substr(prefix.size());
    return true;
}

}  // namespace

bool IsLanguageTag(const std::string& tag) {
    for (const char* known : {"en", "zh_tw", "zh_cn", "fr", "de", "it", "ja", "ko", "es", "sv"}) {
        if (tag == known) return true;
    }
    return false;
}

std::vector<SettingLine> ReadSettingLines(const std::vector<uint8_t>& data) {
    const std::string text(data.begin(), data.end());
    std::vector<SettingLine> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        SettingLine line;
        line.text = Trimmed(text.substr(start, end - start));
        start = end + 1;
        if (line.text.empty()) continue;
        const size_t eq = line.text.find('=');
        line.key = Trimmed(line.text.substr(0, eq));
        if (eq != std::string::npos) line.value = Trimmed(line.text.substr(eq + 1));
        lines.push_back(std::move(line));
    }
    return lines;
}

LauncherSettings InterpretSettings(const std::vector<SettingLine>& lines) {
    LauncherSettings settings;
    std::string language;
    for (const SettingLine& line : lines) {
        if (!line.value.empty() && TitleLanguage(line.key, &language)) {
            settings.titles[language] = line.value;
        } else if (line.key == "search" && line.value == "modern") {
            settings.modernSearch = true;
        } else if (line.key == "exitcode" && line.value == "installer") {
            settings.installerExitCode = true;
        } else {
            settings.ignored.push_back(line.text);
        }
    }
    return settings;
}

std::string ChooseTitle(const LauncherSettings& settings, const std::string& language,
                        const CodePageText& toCodePage, const LeadByte& isLeadByte, size_t capacity) {
    std::string shown;
    for (const std::string& key : {language, std::string()}) {
        const auto title = settings.titles.find(key);
        if (title != settings.titles.end() && toCodePage(title->second, &shown) && !shown.empty()) break;
        shown.clear();
    }
    size_t end = 0;
    while (end < shown.size()) {
        const size_t next = end + (isLeadByte(static_cast<uint8_t>(shown[end])) ? 2 : 1);
        if (next >= capacity || next > shown.size()) break;
        end = next;
    }
    return shown.substr(0, end);
}

LauncherSettings LoadSettings(InstallationPackage& package, SourceOpener& files, LogSink& log) {
    if (package.sections().count(kSettingsSectionId) == 0) return LauncherSettings();
    const PackageSection& section = package.Section(kSettingsSectionId);
    std::vector<uint8_t> data;
    if (section.size <= kMaxSettingsBytes && section.LiesInFile()) {
        data.assign(static_cast<size_t>(section.size), 0);
        if (!data.empty() && !section.ReadData(files, data.data())) data.clear();
    }
    LauncherSettings settings = InterpretSettings(ReadSettingLines(data));
    if (log.tracing()) {
        for (const std::string& line : settings.ignored) {
            WriteLogLine(log, "\r\n\tIgnoring unknown setting  %s\r\n", {line});
        }
    }
    return settings;
}

}  // namespace tarnwick
