// The search of today's places (search=modern), run for each criterion after
// the classic places and before the drive scan.
#include "jvmsearch/modern_places.h"

#include <algorithm>

#include "base/path_rules.h"
#include "jvmsearch/jvm_search.h"

namespace tarnwick {
namespace {

const char kJavaHome[] = "JavaHome";
const char kMsiPath[] = "Path";
const char kInstallationPath[] = "InstallationPath";

std::string Lower(std::string text) {
    for (char& c : text) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    return text;
}

bool EndsWithNoCase(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && Lower(text.substr(text.size() - end.size())) == Lower(end);
}

std::string TrimmedOf(const std::string& text, const char* what) {
    const size_t first = text.find_first_not_of(what);
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(what) - first + 1);
}

const char* RegistryPlace(RegistryRoot root, RegistryView view) {
    const bool machine = root == RegistryRoot::LocalMachine;
    switch (view) {
        case RegistryView::Bits64: return machine ? "in HKEY_LOCAL_MACHINE (64-bit view)" : "in HKEY_CURRENT_USER (64-bit view)";
        case RegistryView::Bits32: return machine ? "in HKEY_LOCAL_MACHINE (32-bit view)" : "in HKEY_CURRENT_USER (32-bit view)";
        default: return machine ? "in HKEY_LOCAL_MACHINE" : "in HKEY_CURRENT_USER";
    }
}

}  // namespace

const ModernRegistryLayout kModernRegistryLayouts[] = {
    {"SOFTWARE\\JavaSoft\\JDK", "", kJavaHome},
    {"SOFTWARE\\JavaSoft\\JRE", "", kJavaHome},
    {"SOFTWARE\\JavaSoft\\Java Runtime Environment", "", kJavaHome},
    {"SOFTWARE\\JavaSoft\\Java Development Kit", "", kJavaHome},
    {"SOFTWARE\\Eclipse Adoptium\\JDK", "\\hotspot\\MSI", kMsiPath},
    {"SOFTWARE\\Eclipse Adoptium\\JRE", "\\hotspot\\MSI", kMsiPath},
    {"SOFTWARE\\AdoptOpenJDK\\JDK", "\\hotspot\\MSI", kMsiPath},
    {"SOFTWARE\\AdoptOpenJDK\\JDK", "\\openj9\\MSI", kMsiPath},
    {"SOFTWARE\\AdoptOpenJDK\\JRE", "\\hotspot\\MSI", kMsiPath},
    {"SOFTWARE\\AdoptOpenJDK\\JRE", "\\openj9\\MSI", kMsiPath},
    {"SOFTWARE\\Eclipse Foundation\\JDK", "\\hotspot\\MSI", kMsiPath},
    {"SOFTWARE\\Eclipse Foundation\\JRE", "\\hotspot\\MSI", kMsiPath},
    {"SOFTWARE\\Microsoft\\JDK", "\\hotspot\\MSI", kMsiPath},
    {"SOFTWARE\\Semeru\\JDK", "\\openj9\\MSI", kMsiPath},
    {"SOFTWARE\\Semeru\\JRE", "\\openj9\\MSI", kMsiPath},
    {"SOFTWARE\\Azul Systems\\Zulu", "", kInstallationPath},
    {"SOFTWARE\\Azul Systems\\Zulu 32-bit", "", kInstallationPath},
    {"SOFTWARE\\BellSoft\\Liberica", "", kInstallationPath},
    {"SOFTWARE\\SapMachine\\JDK", "", kJavaHome},
};
const size_t kModernRegistryLayoutCount = std::size(kModernRegistryLayouts);

const char* const kModernVendorFolders[] = {"Java",      "Eclipse Adoptium", "AdoptOpenJDK",
                                            "Zulu",      "Amazon Corretto",  "Microsoft",
                                            "BellSoft",  "SapMachine\\JDK",  "Semeru"};
const size_t kModernVendorFolderCount = std::size(kModernVendorFolders);

std::string NormalizeJavaHome(std::string text) {
    text = text.substr(0, text.find(';'));
    text = TrimmedOf(text, " \t\"");
    while (!text.empty() && text.back() == '\\') text.pop_back();
    if (EndsWithNoCase(text, "\\bin")) text.resize(text.size() - 4);
    while (!text.empty() && text.back() == '\\') text.pop_back();
    return text;
}

bool IsJavapathFolder(const std::string& folder) {
    std::string trimmed = folder;
    while (!trimmed.empty() && trimmed.back() == '\\') trimmed.pop_back();
    return EndsWithNoCase(trimmed, "\\Oracle\\Java\\javapath");
}

bool JvmSearch::SearchModernPlaces(JvmCriterion& c, SearchResults& list) {
    modernTried_.clear();
    for (RegistryRoot root : {RegistryRoot::LocalMachine, RegistryRoot::CurrentUser}) {
        for (RegistryView view : machine_.RegistryViews()) {
            if (FindInModernRegistry(c, list, root, view)) return true;
        }
    }
    return FindInJavaHome(c, list) || FindInModernFolders(c, list) || FindThroughShims(c, list);
}

bool JvmSearch::FindInModernRegistry(JvmCriterion& c, SearchResults& list, RegistryRoot root,
                                     RegistryView view) {
    SearchLogLine(c, RegistryPlace(root, view));
    for (size_t i = 0; i < kModernRegistryLayoutCount; ++i) {
        const ModernRegistryLayout& layout = kModernRegistryLayouts[i];
        std::vector<std::string> versions;
        if (!machine_.ListRegistrySubkeys(root, view, layout.key, &versions)) continue;
        for (const std::string& version : versions) {
            std::string value;
            const std::string key = std::string(layout.key) + "\\" + version + layout.below;
            if (machine_.ReadRegistryText(root, view, key, layout.valueName, &value) &&
                TryModernHome(c, list, NormalizeJavaHome(value))) {
                return true;
            }
        }
    }
    NotFoundLogLine();
    return false;
}

bool JvmSearch::FindInJavaHome(JvmCriterion& c, SearchResults& list) {
    SearchLogLine(c, "in JAVA_HOME");
    const bool found = TryModernHome(c, list, NormalizeJavaHome(machine_.EnvironmentVariable("JAVA_HOME")));
    if (!found) NotFoundLogLine();
    return found;
}

bool JvmSearch::FindInModernFolders(JvmCriterion& c, SearchResults& list) {
    SearchLogLine(c, "in the install folders");
    std::vector<std::string> parents;
    std::vector<std::string> seenBases;
    for (const char* variable : {"ProgramW6432", "ProgramFiles", "ProgramFiles(x86)"}) {
        const std::string base = NormalizeJavaHome(machine_.EnvironmentVariable(variable));
        // A 32-bit program on 64-bit Windows sees %ProgramFiles% as the x86 one.
        if (base.empty() || std::count(seenBases.begin(), seenBases.end(), Lower(base)) != 0) continue;
        seenBases.push_back(Lower(base));
        for (size_t i = 0; i < kModernVendorFolderCount; ++i) parents.push_back(base + "\\" + kModernVendorFolders[i]);
    }
    const std::string localAppData = NormalizeJavaHome(machine_.EnvironmentVariable("LOCALAPPDATA"));
    if (!localAppData.empty()) parents.push_back(localAppData + "\\Programs\\Eclipse Adoptium");
    const std::string profile = NormalizeJavaHome(machine_.EnvironmentVariable("USERPROFILE"));
    if (!profile.empty()) parents.push_back(profile + "\\.jdks");

    for (const std::string& parent : parents) {
        std::vector<FolderEntry> entries;
        if (!machine_.ListEntries(parent + "\\*.*", &entries)) continue;
        for (const FolderEntry& entry : entries) {
            if (!entry.isFolder || entry.name == "." || entry.name == "..") continue;
            if (TryModernHome(c, list, parent + "\\" + entry.name)) return true;
        }
    }
    NotFoundLogLine();
    return false;
}

bool JvmSearch::FindThroughShims(JvmCriterion& c, SearchResults& list) {
    SearchLogLine(c, "in the javapath folders of PATH");
    for (const std::string& entry : SplitPathVariable(machine_.PathVariable())) {
        const std::string folder = NormalizeJavaHome(entry);
        if (!IsAbsolutePath(folder) || !IsJavapathFolder(folder)) continue;
        if (TryModernExecutable(c, list, folder, folder + "\\java.exe")) return true;
    }
    NotFoundLogLine();
    return false;
}

bool JvmSearch::TryModernHome(JvmCriterion& c, SearchResults& list, const std::string& home) {
    return !home.empty() && TryModernExecutable(c, list, home, home + "\\bin\\java.exe");
}

bool JvmSearch::TryModernExecutable(JvmCriterion& c, SearchResults& list, const std::string& home,
                                    const std::string& executable) {
    // Several places often name the same JVM: it is proven once per criterion.
    if (!modernTried_.insert(Lower(executable)).second || !machine_.FileExists(executable)) return false;
    JvmDescriptor d;
    FillDevKitDescriptor(d, home, executable);
    return TryCandidate(c, d, list);
}

void JvmSearch::TakeReportedHome(JvmDescriptor& d) {
    // A shim runs the JVM it looks up: that JVM says where its home is, and
    // java.home is a runtime's home (a JDK 8 reports its jre folder).
    if (!modern_ || d.reportedHome.empty() || !IsJavapathFolder(d.bin.substr(0, d.bin.rfind('\\')))) return;
    d.home = d.reportedHome;
    d.libs = ComposeJreClassPath(d.home, LibraryProbe());
}

}  // namespace tarnwick
