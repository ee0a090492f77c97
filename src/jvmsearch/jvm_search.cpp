#include "jvmsearch/jvm_search.h"

#include "base/path_rules.h"
#include "javacommand/java_command.h"
#include "jvmsearch/verify_output.h"
#include "resources/resource_ids.h"

namespace tarnwick {
namespace {

const char kSunRuntimeKey[] = "Software\\JavaSoft\\Java Runtime Environment\\";
const char kSunDevKitKey[] = "Software\\JavaSoft\\Java Development Kit\\";
const char kIbmRuntimeKey[] = "Software\\IBM\\IBM Runtime Environment, Java(TM) Tech. Edition\\";
const char kIbmDevKitKey[] = "Software\\IBM\\IBM Developer Kit, Java(TM) Tech. Edition\\";
const char kJavaHome[] = "JavaHome";

// Registry keys end in a version of two parts: "1.1.8" looks under "1.1".
std::string KeyVersion(const std::string& version) {
    const size_t first = version.find('.');
    if (first == std::string::npos) return version;
    const size_t second = version.find('.', first + 1);
    return second == std::string::npos ? version : version.substr(0, second);
}

void Fill(JvmDescriptor& d, const std::string& home, std::string libs, const std::string& executable,
          const char* type) {
    d.home = home;
    d.libs = std::move(libs);
    d.bin = executable;
    d.type = type;
}

std::vector<std::string> VersionsToTry(const std::string& keyVersion,
                                       std::initializer_list<const char*> whenNone) {
    if (!keyVersion.empty()) return {keyVersion};
    return std::vector<std::string>(whenNone.begin(), whenNone.end());
}

}  // namespace

JvmDescriptor JvmSearch::FindJvm(const std::string& criteriaText, int searchNumber) {
    JvmDescriptor result;
    std::vector<CriterionGroup> groups = GroupCriteria(criteriaText, searchNumber);
    bool found = false;
    for (size_t g = 0; g < groups.size() && !found && !machine_.Cancelled(); ++g) {
        if (g == 0) found = RunStage(groups[g], SearchStage::KnownPlaces, &result);
        if (!found && modern_) found = RunStage(groups[g], SearchStage::ModernPlaces, &result);
        if (!found) found = RunStage(groups[g], SearchStage::DiskScan, &result);
    }
    // An aborted run writes no summary: the abort's own line follows.
    if (machine_.Cancelled()) return JvmDescriptor();
    for (const CriterionGroup& group : groups) {
        for (const JvmCriterion& criterion : group) {
            SummaryLogLine(criterion);
            if (criterion.matched) return result;
        }
    }
    return result;
}

bool JvmSearch::RunStage(CriterionGroup& group, SearchStage stage, JvmDescriptor* result) {
    for (JvmCriterion& criterion : group) {
        if (machine_.Cancelled()) return false;
        SearchResults list;
        if (SearchCriterion(criterion, list, stage)) {
            *result = list.front();
            return true;
        }
    }
    return false;
}

bool JvmSearch::SearchCriterion(JvmCriterion& c, SearchResults& list, SearchStage stage) {
    // jview has no place of today.
    if (stage == SearchStage::ModernPlaces) return c.vendor != "microsoft" && SearchModernPlaces(c, list);
    const std::string version = KeyVersion(c.version);
    const bool anyType = c.type.empty();
    if (c.vendor == "sun" || c.vendor.empty()) {
        if (c.type == "jre" || anyType) {
            for (const std::string& v : VersionsToTry(version, {"1.2", "1.1"})) {
                if (SearchRuntime(c, list, kSunRuntimeKey + v, "JavaSoft\\jre\\", stage)) return true;
            }
        }
        if (c.type == "jdk" || anyType) {
            for (const std::string& v : VersionsToTry(version, {"1.2", "1.1"})) {
                if (SearchDevKit(c, list, kSunDevKitKey + v, stage)) return true;
            }
        }
        return false;
    }
    if (c.vendor == "microsoft") return FindJview(c, list);
    if (c.vendor == "ibm") {
        if (c.type == "jre" || anyType) {
            for (const std::string& v : VersionsToTry(version, {"1.2", "1.1"})) {
                if (SearchRuntime(c, list, kIbmRuntimeKey + v, "IBM\\jre\\", stage)) return true;
            }
        }
        if (c.type == "jdk" || anyType) {
            for (const std::string& v : VersionsToTry(version, {"1.2", "1.1.1", "1.1.2", "1.1.3", "1.1.4",
                                                                 "1.1.5", "1.1.6", "1.1.7", "1.1.8"})) {
                if (SearchDevKit(c, list, kIbmDevKitKey + v, stage)) return true;
            }
        }
    }
    return false;
}

bool JvmSearch::SearchRuntime(JvmCriterion& c, SearchResults& list, const std::string& key,
                              const std::string& vendorFolder, SearchStage stage) {
    if (stage == SearchStage::KnownPlaces) {
        if (FindRuntimeInRegistry(c, list, key)) return true;
        if (FindRuntimeInDefaultFolder(c, list, vendorFolder)) return true;
        const bool found = FindInPath(c, "jre.exe", list, caches_.pathJre, caches_.pathJreFilled);
        caches_.pathJreFilled = true;
        return found;
    }
    const bool found = FindOnDisks(c, "jre.exe", list);
    caches_.diskFilled = true;
    return found;
}

bool JvmSearch::SearchDevKit(JvmCriterion& c, SearchResults& list, const std::string& key,
                             SearchStage stage) {
    if (stage == SearchStage::KnownPlaces) {
        if (FindDevKitInRegistry(c, list, key)) return true;
        if (FindDevKitInDefaultFolder(c, list)) return true;
        const bool found = FindInPath(c, "java.exe", list, caches_.pathJava, caches_.pathJavaFilled);
        caches_.pathJavaFilled = true;
        return found;
    }
    const bool found = FindOnDisks(c, "java.exe", list);
    caches_.diskFilled = true;
    return found;
}

bool JvmSearch::FindRuntimeInRegistry(JvmCriterion& c, SearchResults& list, const std::string& key) {
    SearchLogLine(c, "in the Registry");
    bool found = false;
    std::string home;
    if (machine_.ReadRegistryString(key, kJavaHome, &home)) {
        // The value is used as read: a trailing backslash doubles before "bin".
        std::string executable = home + "\\bin\\jre.exe";
        if (!machine_.FileExists(executable)) executable = home + "\\bin\\java.exe";
        found = TryExecutable(c, list, home, executable, JvmKind::Runtime);
    }
    if (!found) NotFoundLogLine();
    return found;
}

bool JvmSearch::FindDevKitInRegistry(JvmCriterion& c, SearchResults& list, const std::string& key) {
    SearchLogLine(c, "in Registry");
    std::string home;
    const bool found = machine_.ReadRegistryString(key, kJavaHome, &home) &&
                       TryExecutable(c, list, home, home + "\\bin\\java.exe", JvmKind::DevKit);
    if (!found) NotFoundLogLine();
    return found;
}

bool JvmSearch::FindRuntimeInDefaultFolder(JvmCriterion& c, SearchResults& list,
                                           const std::string& vendorFolder) {
    SearchLogLine(c, "in the default install folder");
    // The version as given, not cut to two parts: "...\jre\1.1.8".
    const std::string home = SystemDriveRoot() + "Program Files\\" + vendorFolder + c.version;
    const bool found = TryExecutable(c, list, home, home + "\\bin\\jre.exe", JvmKind::Runtime);
    if (!found) NotFoundLogLine();
    return found;
}

bool JvmSearch::FindDevKitInDefaultFolder(JvmCriterion& c, SearchResults& list) {
    SearchLogLine(c, "default install folder");
    const std::string home = SystemDriveRoot() + "JDK" + c.version;
    const bool found = TryExecutable(c, list, home, home + "\\bin\\java.exe", JvmKind::DevKit);
    if (!found) NotFoundLogLine();
    return found;
}

bool JvmSearch::TryExecutable(JvmCriterion& c, SearchResults& list, const std::string& home,
                              const std::string& executable, JvmKind kind) {
    if (!machine_.FileExists(executable)) return false;
    JvmDescriptor d;
    if (kind == JvmKind::Runtime) {
        FillRuntimeDescriptor(d, home, executable);
    } else {
        FillDevKitDescriptor(d, home, executable);
    }
    return TryCandidate(c, d, list);
}

bool JvmSearch::FindInPath(JvmCriterion& c, const std::string& name, SearchResults& list,
                           std::vector<std::string>& cache, bool filled) {
    SearchLogLine(c, "in PATH Variable");
    if (!filled) {
        for (const std::string& entry : SplitPathVariable(machine_.PathVariable())) {
            // A relative entry names a folder below wherever the launcher was started.
            if (!IsAbsolutePath(entry)) continue;
            const std::string pattern = JoinPath(entry, name);
            const size_t lastSlash = pattern.rfind('\\');
            std::vector<FolderEntry> hits;
            if (lastSlash != std::string::npos && machine_.ListEntries(pattern, &hits)) {
                for (const FolderEntry& hit : hits) {
                    if (!hit.isFolder) cache.push_back(JoinPath(pattern.substr(0, lastSlash), hit.name));
                }
            }
        }
    }
    const bool found = TryCandidateList(c, name, cache, list);
    if (!found) NotFoundLogLine();
    return found;
}

bool JvmSearch::FindOnDisks(JvmCriterion& c, const std::string& name, SearchResults& list) {
    SearchLogLine(c, "in FileSystem");
    const int index = name == "java.exe" ? 0 : 1;
    bool found = false;
    if (caches_.diskFilled) {
        found = TryCandidateList(c, name, caches_.disk[index], list);
    } else {
        const std::string systemRoot = SystemDriveRoot();
        ScanFolderTree(systemRoot, caches_.disk);
        found = TryCandidateList(c, name, caches_.disk[index], list);
        if (!found) {
            for (const std::string& root : ListFixedDrives(systemRoot)) {
                std::vector<std::string> fresh[2];
                ScanFolderTree(root, fresh);
                // Only this drive's matches: the earlier ones were tried.
                found = TryCandidateList(c, name, fresh[index], list);
                for (int i = 0; i < 2; ++i) {
                    caches_.disk[i].insert(caches_.disk[i].end(), fresh[i].begin(), fresh[i].end());
                }
                if (found) break;
            }
        }
    }
    if (!found) NotFoundLogLine();
    return found;
}

void JvmSearch::ScanFolderTree(const std::string& folder, std::vector<std::string> lists[2],
                               const FolderIdentity* known) {
    // Looked at in every folder: a drive of many folders takes long.
    if (machine_.Cancelled()) return;
    FolderIdentity identity;
    const bool identified = known ? (identity = *known, true) : machine_.IdentifyFolder(folder, &identity);
    if (identified && !scannedFolders_.insert(identity).second) return;
    std::vector<FolderEntry> entries;
    if (!machine_.ListEntries(JoinPath(folder, std::string("*.*")), &entries)) return;
    for (const FolderEntry& entry : entries) {
        if (entry.name == "java.exe") {
            lists[0].push_back(JoinPath(folder, entry.name));
        } else if (entry.name == "jre.exe") {
            lists[1].push_back(JoinPath(folder, entry.name));
        } else if (entry.isFolder && !entry.isReparsePoint && entry.name != "." && entry.name != "..") {
            // An index from the listing spares opening the folder only to
            // ask who it is: that doubled the cost of the scan.
            const FolderIdentity child{identity.volume, entry.fileIndex};
            ScanFolderTree(JoinPath(folder, entry.name), lists,
                           identified && entry.fileIndex != 0 ? &child : nullptr);
        }
    }
}

std::vector<std::string> JvmSearch::ListFixedDrives(const std::string& rootToLeaveOut) {
    std::vector<std::string> roots;
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        const std::string root = std::string(1, letter) + ":\\";
        if (root != rootToLeaveOut && machine_.IsFixedDrive(root)) roots.push_back(root);
    }
    return roots;
}

std::string JvmSearch::FindProgram(const std::string& name) {
    std::vector<std::string> folders = {machine_.SystemFolder(), machine_.WindowsFolder()};
    for (const std::string& entry : SplitPathVariable(machine_.PathVariable())) {
        if (IsAbsolutePath(entry)) folders.push_back(entry);
    }
    for (const std::string& folder : folders) {
        const std::string pattern = JoinPath(folder, name);
        std::vector<FolderEntry> hits;
        if (!machine_.ListEntries(pattern, &hits)) continue;
        for (const FolderEntry& hit : hits) {
            const std::string program = JoinPath(pattern.substr(0, pattern.rfind('\\')), hit.name);
            if (!hit.isFolder && guard_.MayRun(program)) return program;
        }
    }
    return std::string();
}

bool JvmSearch::FindJview(JvmCriterion& c, SearchResults& list) {
    SearchLogLine(c, "");
    // Only one candidate: a jview in the Windows folder that fails is not
    // followed by the system folder's.
    std::string folder = machine_.WindowsFolder();
    std::string candidate = folder + "\\jview.exe";
    if (!machine_.FileExists(candidate)) {
        folder = machine_.SystemFolder();
        candidate = folder + "\\jview.exe";
        if (!machine_.FileExists(candidate)) candidate.clear();
    }
    bool found = false;
    if (!candidate.empty()) {
        JvmDescriptor d;
        FillJviewDescriptor(d, folder, candidate);
        found = TryCandidate(c, d, list);
    }
    if (!found) NotFoundLogLine();
    return found;
}

bool JvmSearch::TryCandidateList(JvmCriterion& c, const std::string& name,
                                 const std::vector<std::string>& candidates, SearchResults& list) {
    // A jre.exe in the Windows folder is a different program, not a JVM.
    const std::string windowsJre = machine_.WindowsFolder() + "\\jre.exe";
    for (const std::string& path : candidates) {
        JvmDescriptor d;
        if (name == "java.exe") {
            FillDevKitDescriptor(d, JvmHomeOf(path), path);
        } else if (name == "jre.exe") {
            if (path == windowsJre) continue;
            FillRuntimeDescriptor(d, JvmHomeOf(path), path);
        } else {
            return false;
        }
        if (TryCandidate(c, d, list)) return true;
    }
    return false;
}

bool JvmSearch::TryCandidate(JvmCriterion& c, JvmDescriptor& d, SearchResults& list) {
    if (!guard_.MayRun(d.bin) || !VerifyJvm(c, d)) return false;
    TakeReportedHome(d);
    for (const JvmDescriptor& known : list) {
        if (SameJvm(known, d)) return false;
    }
    list.push_back(d);
    return true;
}

bool JvmSearch::VerifyJvm(JvmCriterion& criterion, JvmDescriptor& candidate) {
    // An executable of no known kind runs without arguments, prints nothing
    // and fails below.
    const std::string commandLine = JavaCommand{candidate.bin, candidate.libs, verifyClassPath_}.CommandLine();

    std::string output;
    const Machine::RunOutcome outcome = machine_.RunCapturingOutput(commandLine, kMaxVerifyOutput, &output);
    if (outcome == Machine::RunOutcome::NotStarted || outcome == Machine::RunOutcome::Cancelled) return false;

    bool passed = false;
    // A candidate that had to be ended counts as failed, whatever it printed.
    if (outcome == Machine::RunOutcome::Ended && !output.empty()) {
        const VerifyReport report = ReadVerifyOutput(output);
        candidate.version = report.version;
        candidate.vendor = report.vendor;
        candidate.reportedHome = report.home;
        passed = MatchJvm(criterion, candidate);
    }
    if (log_.tracing()) {
        WriteLogLine(log_, "\r\n\t%s %s...", {texts_.Text(IDS_VERIFYING_JVM), candidate.bin});
        WriteLogLine(log_, "%s.", {texts_.Text(passed ? IDS_PASSED : IDS_FAILED)});
    }
    return passed;
}

void JvmSearch::FillDevKitDescriptor(JvmDescriptor& d, const std::string& home,
                                     const std::string& executable) {
    Fill(d, home, ComposeJdkClassPath(home, LibraryProbe()), executable, "jdk");
}

void JvmSearch::FillRuntimeDescriptor(JvmDescriptor& d, const std::string& home,
                                      const std::string& executable) {
    Fill(d, home, ComposeJreClassPath(home, LibraryProbe()), executable, "jre");
}

void JvmSearch::FillJviewDescriptor(JvmDescriptor& d, const std::string& home,
                                    const std::string& executable) {
    // jview brings its own classes: no library class path.
    Fill(d, home, std::string(), executable, "jview");
}

FileProbe JvmSearch::LibraryProbe() {
    return [this](const std::string& path) { return machine_.FileExists(path); };
}

void JvmSearch::SearchLogLine(const JvmCriterion& c, const char* place) {
    if (!log_.tracing() || machine_.Cancelled()) return;
    WriteLogLine(log_, "\r\n\t%s (%s=%s, %s=%s, %s=%s) %s...",
                 {texts_.Text(IDS_SEARCHING_MATCHING), texts_.Text(IDS_VENDOR), c.vendor,
                  texts_.Text(IDS_VERSION), c.version, texts_.Text(IDS_TYPE), c.type, place});
}

void JvmSearch::NotFoundLogLine() {
    if (log_.tracing() && !machine_.Cancelled()) WriteLogLine(log_, "%s.", {texts_.Text(IDS_NOT_FOUND)});
}

void JvmSearch::SummaryLogLine(const JvmCriterion& c) {
    WriteLogLine(log_, "\r\n\t%s (%s=%s, %s=%s, %s=%s)...%s %s",
                 {texts_.Text(IDS_SEARCHING_MATCHING), texts_.Text(IDS_VENDOR), c.vendor,
                  texts_.Text(IDS_VERSION), c.version, texts_.Text(IDS_TYPE), c.type,
                  c.matchedExecutable, texts_.Text(c.matched ? IDS_PASSED : IDS_NOT_FOUND)});
}

std::string JvmSearch::SystemDriveRoot() {
    return machine_.SystemFolder().substr(0, 3);
}

}  // namespace tarnwick
