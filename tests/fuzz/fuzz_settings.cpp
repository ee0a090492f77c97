// Fuzzes what search=modern reads from outside: the settings section, the
// version floor of a criterion and JAVA_HOME. Nothing may crash; a setting
// line holds no line end and its key no '='; a setting is on only when a
// line says exactly so; a chosen title is the start of a title set, shorter
// than its buffer, and ends with no half of a double-byte character; a version floor "N+" is met exactly by feature
// versions of N or more, and any other value keeps the containment rule.
#include <cstddef>
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "jvmsearch/jvm_criterion.h"
#include "jvmsearch/modern_places.h"
#include "package/launcher_settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tarnwick;
    const std::vector<uint8_t> bytes(data, data + size);
    const std::string text(bytes.begin(), bytes.end());

    const std::vector<SettingLine> lines = ReadSettingLines(bytes);
    bool modern = false, installer = false;
    for (const SettingLine& line : lines) {
        Check(!line.text.empty() && !Contains(line.text, "\n"));
        Check(!Contains(line.key, "=") && !Contains(line.value, "\n") && Contains(line.text, line.key));
        modern = modern || (line.key == "search" && line.value == "modern");
        installer = installer || (line.key == "exitcode" && line.value == "installer");
    }
    const LauncherSettings settings = InterpretSettings(lines);
    Check(settings.modernSearch == modern && settings.installerExitCode == installer);
    Check(settings.ignored.size() <= lines.size() && settings.titles.size() <= lines.size());
    // Bytes from 0x80 start double-byte characters; the first byte is the buffer's size.
    const size_t capacity = size == 0 ? 0 : data[0];
    auto asIs = [](const std::string& utf8, std::string* shown) { return *shown = utf8, true; };
    const std::string title =
        ChooseTitle(settings, text.substr(0, size % 6), asIs, [](uint8_t b) { return b >= 0x80; }, capacity);
    Check(title.size() < std::max<size_t>(capacity, 1));
    bool prefix = title.empty(), whole = true;
    for (const auto& entry : settings.titles) prefix = prefix || entry.second.compare(0, title.size(), title) == 0;
    for (size_t i = 0; i < title.size(); i += static_cast<uint8_t>(title[i]) >= 0x80 ? 2 : 1) {
        whole = whole && (i + 1 < title.size() || static_cast<uint8_t>(title[i]) < 0x80);
    }
    Check(prefix && whole);

    const std::string home = NormalizeJavaHome(text);
    Check(!Contains(home, ";") && (home.empty() || home.back() != '\\'));

    // The input cut in two: a criterion's version value and a reported version.
    const std::string value = text.substr(0, size / 2), reported = text.substr(size / 2);
    int feature = 0, minimum = 0;
    const bool hasFeature = FeatureVersion(reported, &feature);
    Check(!hasFeature || (feature >= 0 && reported[0] >= '0' && reported[0] <= '9'));
    const bool floor = MinimumFeatureVersion(value, &minimum);
    if (floor) {
        int again = -1;
        Check(value.back() == '+' && FeatureVersion(value, &again) && again == minimum);
    }
    JvmCriterion criterion, plain;
    criterion.version = plain.version = value;
    JvmDescriptor jvm;
    jvm.vendor = "https://adoptium.net/";
    jvm.version = reported;
    jvm.bin = "C:\\jdk\\bin\\java.exe";
    const bool matched = MatchJvm(criterion, jvm);
    if (floor) {
        Check(matched == (hasFeature && feature >= minimum));
        Check(criterion.version == value);
    } else {
        Check(matched == MatchCriterion(plain, jvm));
    }
    Check(matched == criterion.matched);
    return 0;
}
