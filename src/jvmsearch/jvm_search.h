// The JVM search: the places a JVM may live in, tried in a fixed order for
// each criterion, every candidate proven by running the verify class in it.
//
// For the first group of criteria the known places (registry, default
// install folder, PATH) come first; only when all of them failed is the same
// group tried against a scan of the fixed drives, and every later group gets
// only that scan. With search=modern every group first tries today's places
// (modern_places.h) before its scan. The first verified JVM ends the search.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "base/log_sink.h"
#include "base/texts.h"
#include "javacommand/java_command.h"
#include "jvmsearch/jvm_criterion.h"
#include "jvmsearch/machine.h"
#include "jvmsearch/planted_jvm_guard.h"

namespace tarnwick {

enum class SearchStage { KnownPlaces, ModernPlaces, DiskScan };

// Output kept from one verification run: far more than the verify class
// prints, small enough that a candidate flooding its pipe costs nothing.
constexpr size_t kMaxVerifyOutput = 64 * 1024;

// Candidates found along PATH and on the drives, kept for the rest of one
// search so each is looked for at most once.
struct SearchCaches {
    std::vector<std::string> pathJava;
    std::vector<std::string> pathJre;
    bool pathJavaFilled = false;
    bool pathJreFilled = false;
    std::vector<std::string> disk[2];  // 0: java.exe, 1: jre.exe
    bool diskFilled = false;
};

using SearchResults = std::vector<JvmDescriptor>;

// One search: its context (machine, texts, log, verify class) and caches
// live exactly as long as the object.
class JvmSearch {
  public:
    JvmSearch(Machine& machine, const TextSource& texts, LogSink& log, std::string verifyClassPath)
        : machine_(machine), texts_(texts), log_(log), verifyClassPath_(std::move(verifyClassPath)) {}
    JvmSearch(const JvmSearch&) = delete;
    JvmSearch& operator=(const JvmSearch&) = delete;

    // The verified JVM, or a descriptor with an empty `bin` when none. Logs
    // one summary line per criterion tried.
    // `searchNumber` counts the searches of the run from 1: only the first
    // keeps a "microsoft" criterion (see GroupCriteria).
    JvmDescriptor FindJvm(const std::string& criteriaText, int searchNumber);
    // search=modern: today's places too, and a javapath shim's class path
    // taken from the home its JVM reports.
    void SetModernSearch(bool on) { modern_ = on; }

    bool SearchCriterion(JvmCriterion& criterion, SearchResults& list, SearchStage stage);
    bool VerifyJvm(JvmCriterion& criterion, JvmDescriptor& candidate);

    // The drive walk: every "java.exe" into lists[0], every "jre.exe" into
    // lists[1]. Links are not followed and no folder is entered twice, so a
    // link to an ancestor cannot make it endless. `known`: the folder's
    // identity, when its parent's listing gave it.
    void ScanFolderTree(const std::string& folder, std::vector<std::string> lists[2],
                        const FolderIdentity* known = nullptr);
    std::vector<std::string> ListFixedDrives(const std::string& rootToLeaveOut);

    // -nosearch: the program `name` where the system would find it, but
    // never in the launcher's own folder or the current folder, where
    // CreateProcess looks first: the system folder, the Windows folder, then
    // the absolute entries of PATH. Elevated, only one that administrators
    // alone can change. Empty when there is none.
    std::string FindProgram(const std::string& name);

  private:
    bool RunStage(CriterionGroup& group, SearchStage stage, JvmDescriptor* result);
    bool SearchRuntime(JvmCriterion& c, SearchResults& list, const std::string& key,
                       const std::string& vendorFolder, SearchStage stage);
    bool SearchDevKit(JvmCriterion& c, SearchResults& list, const std::string& key, SearchStage stage);
    bool FindRuntimeInRegistry(JvmCriterion& c, SearchResults& list, const std::string& key);
    bool FindDevKitInRegistry(JvmCriterion& c, SearchResults& list, const std::string& key);
    bool FindRuntimeInDefaultFolder(JvmCriterion& c, SearchResults& list, const std::string& vendorFolder);
    bool FindDevKitInDefaultFolder(JvmCriterion& c, SearchResults& list);
    bool FindInPath(JvmCriterion& c, const std::string& name, SearchResults& list,
                    std::vector<std::string>& cache, bool filled);
    bool FindOnDisks(JvmCriterion& c, const std::string& name, SearchResults& list);
    bool FindJview(JvmCriterion& c, SearchResults& list);
    enum class JvmKind { Runtime, DevKit };
    // Verifies the JVM at `executable` when that file exists.
    bool TryExecutable(JvmCriterion& c, SearchResults& list, const std::string& home,
                       const std::string& executable, JvmKind kind);
    bool TryCandidateList(JvmCriterion& c, const std::string& name,
                          const std::vector<std::string>& candidates, SearchResults& list);
    bool TryCandidate(JvmCriterion& c, JvmDescriptor& d, SearchResults& list);

    // Today's places (modern_places.cpp).
    bool SearchModernPlaces(JvmCriterion& c, SearchResults& list);
    bool FindInModernRegistry(JvmCriterion& c, SearchResults& list, RegistryRoot root, RegistryView view);
    bool FindInJavaHome(JvmCriterion& c, SearchResults& list);
    bool FindInModernFolders(JvmCriterion& c, SearchResults& list);
    bool FindThroughShims(JvmCriterion& c, SearchResults& list);
    bool TryModernHome(JvmCriterion& c, SearchResults& list, const std::string& home);
    bool TryModernExecutable(JvmCriterion& c, SearchResults& list, const std::string& home,
                             const std::string& executable);
    void TakeReportedHome(JvmDescriptor& d);

    void FillDevKitDescriptor(JvmDescriptor& d, const std::string& home, const std::string& executable);
    void FillRuntimeDescriptor(JvmDescriptor& d, const std::string& home, const std::string& executable);
    void FillJviewDescriptor(JvmDescriptor& d, const std::string& home, const std::string& executable);
    // Asks the machine whether a JVM's library file exists.
    FileProbe LibraryProbe();

    void SearchLogLine(const JvmCriterion& c, const char* place);
    void NotFoundLogLine();
    void SummaryLogLine(const JvmCriterion& c);
    std::string SystemDriveRoot();

    Machine& machine_;
    const TextSource& texts_;
    LogSink& log_;
    const std::string verifyClassPath_;
    SearchCaches caches_;
    std::set<FolderIdentity> scannedFolders_;
    bool modern_ = false;
    PlantedJvmGuard guard_{machine_, log_};
    std::set<std::string> modernTried_;  // lower case, for the criterion being searched
};

}  // namespace tarnwick
