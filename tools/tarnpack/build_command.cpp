#include <algorithm>
#include <iostream>
#include <map>

#include "command_line.h"
#include "commands.h"
#include "edited_files.h"
#include "host_files.h"
#include "input_file.h"
#include "icon_file.h"
#include "input_file.h"
#include "pack_error.h"
#include "package/launcher_settings.h"
#include "package_writer.h"
#include "resource_section.h"

namespace tarnpack {
namespace {

constexpr char kHelp[] =
    R"(usage: tarnpack build -o SETUP.EXE --launcher LAUNCHER.EXE --archive INSTALLER.CLASS
                      --verify VERIFY.CLASS (--criteria TEXT | --criteria-file FILE)
                      [--modern-search] [--exit-code installer]
                      [--execution-level LEVEL] [--product-name TEXT]
                      [--product-version TEXT] [--description TEXT]
                      [--title TEXT] [--title-LANG TEXT]... [--icon FILE.ICO]

Writes a setup executable: the launcher's bytes, then the package it carries.
  -o FILE               the setup executable to write (replaced only on success)
  --launcher FILE       the stripped launcher.exe; nothing may follow its PE image
  --archive FILE        the installer's Java archive (from tarnpack archive);
                        the package names it after its file name
  --verify FILE         the compiled Verify.class
  --criteria TEXT       the JVM criteria, e.g. "vendor=sun:type=jre:version=1.2"
  --criteria-file FILE  the same, read from a file (a line end at its end is dropped)
  --modern-search       search=modern: after the classic places the launcher also
                        looks where today's JVMs register and install, before it
                        scans the drives; "version=17+" means feature version 17 or later
  --exit-code installer exitcode=installer: the launcher exits with the installer's
                        exit code, or 1619 (package unreadable), 1633 (no JVM),
                        1602 (aborted), 1603 (installer not started)
Either option adds a settings section (id 4), which older launchers ignore.
  --execution-level LEVEL  what Windows asks of the user who starts it:
                        asInvoker, highestAvailable or requireAdministrator
                        (the default: what Windows does for an unmanifested setup.exe)
  --product-name TEXT   the version resource's product name (UTF-8)
  --product-version TEXT  its product and file version, e.g. "2.1.0 beta";
                        it must start with up to four numbers joined by dots
  --description TEXT    its file description, which the elevation prompt shows
These are written into the launcher's manifest and version resource in place:
no byte of the image moves. Without them the launcher's bytes stay as they are.
  --title TEXT          title=TEXT: the caption of every window and message box
                        of the run instead of the launcher's own (UTF-8; shown
                        where the user's code page has its characters); by
                        default the --product-name
  --title-LANG TEXT     title.LANG=TEXT: the caption in one language, before
                        --title; LANG is en, zh_tw, zh_cn, fr, de, it, ja, ko,
                        es or sv
  --icon FILE.ICO       the launcher's icon (Explorer's and the dialogs') becomes
                        the icon file's images, at most 64; the resource section
                        is written anew, so the image changes size
The whole file must stay below 4 GiB, the criteria at most 65535 bytes.
)";

// The launcher is read whole to write a new icon into it.
constexpr uint64_t kMaxLauncher = 64 * 1024 * 1024;

// A criteria text of 65,535 bytes plus the line end an editor adds.
constexpr uint64_t kMaxCriteriaFile = 0xFFFF + 2;

std::string ReadCriteriaFile(tarnwick::SourceOpener& files, const std::string& path) {
    const InputFile input = MeasureInput(files, path);
    if (input.size > kMaxCriteriaFile) {
        throw PackError(path + " holds " + std::to_string(input.size) + " bytes; criteria are at most 65535");
    }
    const std::vector<uint8_t> bytes = ReadHead(files, input, static_cast<uint32_t>(input.size));
    std::string text(bytes.begin(), bytes.end());
    if (!text.empty() && text.back() == '\n') text.pop_back();
    if (!text.empty() && text.back() == '\r') text.pop_back();
    return text;
}

// A title is one line of text the launcher can read back.
std::string TitleValue(CommandLine& line, const std::string& option) {
    const std::string title = line.TakeValue(option);
    if (title.find_first_not_of(" \t") == std::string::npos) line.Fail(option + " is empty");
    if (title.find_first_of("\r\n") != std::string::npos) line.Fail(option + " holds a line end");
    Utf16(title, option);
    return title;
}

bool AddSetting(PackageInputs& inputs, const std::string& line) {
    if (std::find(inputs.settings.begin(), inputs.settings.end(), line) != inputs.settings.end()) return false;
    inputs.settings.push_back(line);
    return true;
}

}  // namespace

int RunBuild(const std::vector<std::string>& args) {
    if (WantsHelp(args)) {
        std::cout << kHelp;
        return 0;
    }
    CommandLine line("build", args);
    PackageInputs inputs;
    std::string output;
    std::string criteriaFile;
    bool criteriaGiven = false;
    ImageSettings settings;
    std::map<std::string, std::string> titles;  // by language; "" for --title
    std::string icon;
    while (!line.Done()) {
        const std::string option = line.Next();
        if (option == "-o") {
            output = line.TakeValue(option);
        } else if (option == "--launcher") {
            inputs.launcher = line.TakeValue(option);
        } else if (option == "--archive") {
            inputs.archive = line.TakeValue(option);
        } else if (option == "--verify") {
            inputs.verify = line.TakeValue(option);
        } else if (option == "--criteria") {
            inputs.criteria = line.TakeValue(option);
            criteriaGiven = true;
        } else if (option == "--criteria-file") {
            criteriaFile = line.TakeValue(option);
        } else if (option == "--modern-search") {
            if (!AddSetting(inputs, "search=modern")) line.Fail("--modern-search given twice");
        } else if (option == "--exit-code") {
            if (line.TakeValue(option) != "installer") line.Fail("--exit-code takes only the value installer");
            AddSetting(inputs, "exitcode=installer");
        } else if (option == "--execution-level") {
            settings.executionLevel = line.TakeValue(option);
        } else if (option == "--product-name") {
            settings.productName = line.TakeValue(option);
        } else if (option == "--product-version") {
            settings.productVersion = line.TakeValue(option);
        } else if (option == "--description") {
            settings.description = line.TakeValue(option);
        } else if (option == "--title" ||
                   (option.compare(0, 8, "--title-") == 0 && tarnwick::IsLanguageTag(option.substr(8)))) {
            const std::string language = option.size() > 7 ? option.substr(8) : std::string();
            titles[language] = TitleValue(line, option);
        } else if (option == "--icon") {
            icon = line.TakeValue(option);
        } else {
            line.Fail("unknown argument " + option);
        }
    }
    line.Require(output, "-o");
    line.Require(inputs.launcher, "--launcher");
    line.Require(inputs.archive, "--archive");
    line.Require(inputs.verify, "--verify");
    if (criteriaGiven == !criteriaFile.empty()) line.Fail("give either --criteria or --criteria-file");

    CheckSettings(settings);
    if (!settings.productName.empty()) titles.emplace("", settings.productName);
    for (const auto& [language, title] : titles) {
        inputs.settings.push_back((language.empty() ? "title=" : "title." + language + "=") + title);
    }

    HostFiles host;
    if (!criteriaFile.empty()) inputs.criteria = ReadCriteriaFile(host, criteriaFile);
    EditedFiles edited(host, inputs.launcher, LauncherEdits(host, inputs.launcher, settings));
    tarnwick::SourceOpener* files = &edited;
    std::unique_ptr<ReplacedFile> rebuilt;
    if (!icon.empty()) {
        const std::vector<IconImage> images = ReadIconFile(host, icon);
        const InputFile launcher = MeasureInput(edited, inputs.launcher);
        if (launcher.size > kMaxLauncher) throw PackError(inputs.launcher + " is over 64 MiB: no launcher");
        const std::vector<uint8_t> image = ReadHead(edited, launcher, static_cast<uint32_t>(launcher.size));
        rebuilt = std::make_unique<ReplacedFile>(edited, inputs.launcher, ReplaceIcon(image, images, inputs.launcher));
        files = rebuilt.get();
    }
    const PackageSummary summary = WritePackage(*files, inputs, output);
    std::cout << output << ": " << summary.fileSize << " bytes, the package starts at " << summary.start
              << "\n";
    return 0;
}

}  // namespace tarnpack
