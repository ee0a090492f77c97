// The JVM search on a scripted machine, run from the scenarios in
// cases/jvm_search.txt: what is on the machine, what the search is asked,
// and what it found, logged, asked the machine and ran, in order.
#include "jvmsearch/jvm_search.h"

#include <algorithm>
#include <map>
#include <set>

#include "app/process_flags.h"
#include "tests/host/case_table.h"
#include "tests/host/test_bytes.h"

namespace tarnwick {
namespace {

using test::Strings;

std::string Lower(std::string s) {
    for (char& c : s) c = char(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return s;
}

// Registry values, files, folder trees, PATH, drives and JVMs that answer
// (or not) when run. Names compare without regard to case, as on Windows.
// It records what the search asked, in order.
class FakeMachine final : public Machine {
  public:
    void AddFile(const std::string& path) {
        // Every folder on the way exists too, and lists what lies in it.
        std::string child = path;
        bool isFolder = false;
        for (size_t slash = path.rfind('\\'); slash != std::string::npos && slash >= 2;) {
            const std::string folder = path.substr(0, slash == 2 ? 3 : slash), name = child.substr(slash + 1);
            auto& entries = tree[folder];
            if (std::none_of(entries.begin(), entries.end(), [&](const FolderEntry& e) { return e.name == name; }))
                entries.push_back({name, isFolder, false});
            if (slash == 2) break;
            files.insert(Lower(folder));
            child = folder;
            isFolder = true;
            slash = folder.rfind('\\');
        }
        files.insert(Lower(path));
    }
    bool ReadRegistryString(const std::string& key, const std::string& valueName, std::string* value) override {
        asked["registry"].push_back(key);
        auto found = registry.find(key + "|" + valueName);
        if (found != registry.end()) *value = found->second;
        return found != registry.end();
    }
    bool FileExists(const std::string& path) override {
        asked["exists"].push_back(path);
        return files.count(Lower(path)) != 0;
    }
    bool ListEntries(const std::string& pattern, std::vector<FolderEntry>* entries) override {
        asked["list"].push_back(pattern);
        const size_t slash = pattern.rfind('\\');
        std::string folder = pattern.substr(0, slash);
        if (folder.size() == 2) folder += "\\";
        const std::string mask = pattern.substr(slash + 1);
        auto found = tree.find(folder);
        if (slash == std::string::npos || found == tree.end()) return false;
        entries->clear();
        if (mask == "*.*") entries->insert(entries->end(), {{".", true, false}, {"..", true, false}});
        for (const FolderEntry& e : found->second)
            if (mask == "*.*" || Lower(e.name) == Lower(mask)) entries->push_back(e);
        return !entries->empty();
    }
    bool IdentifyFolder(const std::string& folder, FolderIdentity* identity) override {
        identity->volume = 1;
        identity->index = std::hash<std::string>()(aliases.count(folder) ? aliases[folder] : folder);
        return true;
    }
    std::string PathVariable() override {
        asked["PATH"].push_back("PATH");
        return path;
    }
    std::string WindowsFolder() override { return "C:\\WINDOWS"; }
    std::string SystemFolder() override { return "C:\\WINDOWS\\system32"; }
    bool IsFixedDrive(const std::string& root) override { return fixedDrives.count(root) != 0; }
    RunOutcome RunCapturingOutput(const std::string& commandLine, size_t maxOutput, std::string* output) override {
        asked["runs"].push_back(commandLine);
        // The executable is the command line up to the first blank after it.
        const std::string exe = commandLine[0] == '"' ? commandLine.substr(1, commandLine.find('"', 1) - 1)
                                                      : commandLine.substr(0, commandLine.find(' '));
        auto found = jvms.find(Lower(exe));
        if (found == jvms.end()) return RunOutcome::NotStarted;
        *output = found->second.second.substr(0, maxOutput);
        return found->second.first;
    }

    std::map<std::string, std::string> registry;  // "key|value" -> text
    std::set<std::string> files;                  // lower case
    std::map<std::string, std::vector<FolderEntry>> tree;
    std::map<std::string, std::string> aliases;  // folder -> the folder it really is
    std::string path;
    std::set<std::string> fixedDrives{"C:\\"};
    std::map<std::string, std::pair<RunOutcome, std::string>> jvms;  // by lower-case path
    std::map<std::string, Strings> asked;                            // by kind, and "runs"
};

std::string Show(const JvmDescriptor& d) {
    return d.bin.empty() ? "none" : test::Join({d.bin, d.home, d.libs, d.type, d.vendor, d.version});
}

// One scenario: set the machine up line by line; an action line ("find",
// "known-places", "scan", "fixed-drives") runs and shows its result; the
// lines after it say what that action logged and asked.
class Scenario {
  public:
    ~Scenario() { Check(); }

    void Line(const test::Case& c) {
        const std::string& verb = c.in[0];
        const std::string a = c.in.size() > 1 ? c.in[1] : "", b = c.in.size() > 2 ? c.in[2] : "";
        if (verb == "key") machine_.registry[a + "|JavaHome"] = b;
        else if (verb == "file") machine_.AddFile(a);
        else if (verb == "jvm" || verb == "answer") {
            machine_.AddFile(a);
            const std::map<std::string, Machine::RunOutcome> outcomes = {
                {"ended", Machine::RunOutcome::Ended}, {"timed out", Machine::RunOutcome::TimedOut},
                {"not started", Machine::RunOutcome::NotStarted}};
            machine_.jvms[Lower(a)] = verb == "answer" ? std::pair{outcomes.at(b), c.in[3]} : std::pair{
                Machine::RunOutcome::Ended, "java.home = C:\\jvm\r\njava.version = " + c.in[3] + "\r\njava.vendor.url = " +
                b + "\r\njava.vendor = Someone\r\nos.arch  = x86\r\n"};
        } else if (verb == "link") machine_.tree[a].push_back({b, true, true});
        else if (verb == "alias") machine_.aliases[a] = b;
        else if (verb == "path") machine_.path = a;
        else if (verb == "drives") Drives(a);
        else if (verb == "logall") LogAll = true;
        else if (verb == "log" || verb == "log-starts") {
            Strings& text = want_[verb];
            text.resize(1);
            text[0] += c.want[0];
        }
        else if (verb == "asks") {
            if (!want_.count(a)) want_[a];
            if (!c.want[0].empty()) want_[a].push_back(c.want[0]);
        } else Act(c, verb, a);
    }

  private:
    void Drives(const std::string& list) {
        machine_.fixedDrives.clear();
        for (const std::string& d : test::Split(list, " ")) machine_.fixedDrives.insert(d);
    }
    void Act(const test::Case& c, const std::string& verb, const std::string& a) {
        Check();
        action_ = c.where;
        SCOPED_TRACE(action_);
        JvmSearch search(machine_, texts_, log_, "C:\\t\\Verify.class");
        std::string got;
        if (verb == "find") {
            got = Show(search.FindJvm(a));
        } else if (verb == "known-places") {
            JvmCriterion criterion;
            EXPECT_TRUE(criterion.ParseCriterionTerm(a));
            SearchResults list;
            got = search.SearchCriterion(criterion, list, SearchStage::KnownPlaces) ? "found" : "none";
        } else if (verb == "scan") {
            Strings lists[2];
            search.ScanFolderTree(a, lists);
            got = test::Join(lists[0], ";") + " | " + test::Join(lists[1], ";");
        } else if (verb == "fixed-drives") {
            got = test::Join(search.ListFixedDrives(a), ";");
        } else {
            ADD_FAILURE() << "unknown line";
        }
        EXPECT_EQ(got, test::Join(c.want));
    }
    // What the last action logged and asked.
    void Check() {
        if (action_.empty()) return;
        SCOPED_TRACE(action_);
        for (const auto& [what, want] : want_) {
            if (what == "log") EXPECT_EQ(log_.text, want[0]);
            else if (what == "log-starts") EXPECT_EQ(log_.text.substr(0, want[0].size()), want[0]);
            else EXPECT_EQ(test::Join(machine_.asked[what], "\n"), test::Join(want, "\n")) << "asked: " << what;
        }
        want_.clear();
        machine_.asked.clear();
        log_.text.clear();
    }

    FakeMachine machine_;
    EnglishTexts texts_;
    test::MemoryLog log_;
    std::string action_;
    std::map<std::string, Strings> want_;
};

TEST(JvmSearchTest, Scenarios) {
    std::unique_ptr<Scenario> scenario;
    std::string name;
    for (const test::Case& c : test::ReadCases("jvm_search.txt")) {
        if (c.table != name) {
            scenario.reset();
            LogAll = false;
            MicrosoftCriteriaSeen = 1;
            scenario = std::make_unique<Scenario>();
            name = c.table;
        }
        SCOPED_TRACE(c.where);
        scenario->Line(c);
    }
    scenario.reset();
    LogAll = false;
}

}  // namespace
}  // namespace tarnwick
