#include "app/package_title.h"

#include "base/win32/ansi_text.h"
#include "base/win32/file_source.h"
#include "base/win32/string_table.h"
#include "package/installation_package.h"
#include "package/launcher_settings.h"
#include "resources/resource_ids.h"

namespace tarnwick {
namespace {

// The run reads the package again with its log; this look writes nothing.
class NoLog final : public LogSink {
  public:
    bool IsOpen() const override { return false; }
    void WriteLine(std::string_view) override {}
};

}  // namespace

std::string PackageTitle(const std::string& ownPath) {
    FileOpener files;
    StringTableTexts texts;
    NoLog log;
    InstallationPackage package(files, texts);
    if (!package.ReadSectionTable(ownPath, log)) return std::string();
    const LauncherSettings settings = LoadSettings(package, files, log);
    if (settings.titles.empty()) return std::string();
    return ChooseTitle(settings, LoadText(IDS_LANGUAGE_TAG), &Utf8ToAnsi, &IsAnsiLeadByte, kTitleCapacity);
}

}  // namespace tarnwick
