// The JVM search on a scripted machine, run from the scenarios in
// cases/jvm_search.txt (the verbs are described there).
#include "jvmsearch/jvm_search.h"
#include "tests/host/case_table.h"
#include "tests/host/fake_machine.h"
#include "tests/host/test_bytes.h"

namespace tarnwick {
namespace {

using test::Strings;

class Scenario {
  public:
    ~Scenario() { Check(); }

    void Line(const test::Case& c) {
        const std::string verb = c.arg(0), a = c.arg(1), b = c.arg(2);
        static const std::map<std::string, Machine::RunOutcome> outcomes = {
            {"ended", Machine::RunOutcome::Ended}, {"timed out", Machine::RunOutcome::TimedOut},
            {"not started", Machine::RunOutcome::NotStarted}};
        const Strings drives = test::Split(a, " ");
        if (verb == "key") machine_.registry[a + "|JavaHome"] = b;
        else if (verb == "file") machine_.AddFile(a);
        else if (verb == "jvm") machine_.AddJvm(a, b, c.arg(3));
        else if (verb == "answer") machine_.AddFile(a), machine_.jvms[test::Lower(a)] = {outcomes.at(b), c.arg(3)};
        else if (verb == "link") machine_.links.push_back({a, b});
        else if (verb == "alias") machine_.aliases[a] = b;
        else if (verb == "listing-indexes") machine_.listingIndexes = true;
        else if (verb == "unidentified") machine_.unidentified.insert(a);
        else if (verb == "path") machine_.path = a;
        else if (verb == "drives") machine_.fixedDrives = {drives.begin(), drives.end()};
        else if (verb == "logall") log_.SetTracing(true);
        else if (verb == "modern") modern_ = true;
        else if (verb == "regval") machine_.values[a + "|" + b] = c.arg(3);
        else if (verb == "env") machine_.environment[a] = b;
        else if (verb == "views") {
            machine_.views.clear();
            for (const std::string& v : drives) machine_.views.push_back(v == "64" ? RegistryView::Bits64 : RegistryView::Bits32);
        }
        else if (verb == "elevated") machine_.elevated = true;
        else if (verb == "access") machine_.access[test::Lower(a)] = test::Access(b == "unreadable" ? "" : b, c.arg(3));
        else if (verb == "cancel-after") machine_.cancelAfterLists = std::stoi(a);
        else if (verb == "log" || verb == "log-starts") want_[verb].resize(1), want_[verb][0] += c.want[0];
        else if (verb == "asks") want_[a].insert(want_[a].end(), c.want.begin(), c.want.end() - c.want[0].empty());
        else Act(c, verb, a);
    }

  private:
    // An action, and what it found.
    void Act(const test::Case& c, const std::string& verb, const std::string& a) {
        Check();
        action_ = c.where;
        SCOPED_TRACE(action_);
        JvmSearch search(machine_, texts_, log_, "C:\\t\\Verify.class");
        search.SetModernSearch(modern_);
        JvmCriterion criterion;
        SearchResults list;
        Strings found = {"unknown line"}, lists[2];
        if (verb == "find" || verb == "find-again") {
            const JvmDescriptor d = search.FindJvm(a, verb == "find" ? 1 : 2);
            found = d.bin.empty() ? Strings{"none"} : Strings{d.bin, d.home, d.libs, d.type, d.vendor, d.version};
        } else if (verb == "known-places") {
            EXPECT_TRUE(criterion.ParseCriterionTerm(a));
            found = {search.SearchCriterion(criterion, list, SearchStage::KnownPlaces) ? "found" : "none"};
        } else if (verb == "scan") {
            search.ScanFolderTree(a, lists);
            found = {test::Join(lists[0], ";"), test::Join(lists[1], ";")};
        } else if (verb == "find-program") {
            const std::string program = search.FindProgram(a);
            found = {program.empty() ? "none" : program};
        } else if (verb == "fixed-drives") {
            found = {test::Join(search.ListFixedDrives(a), ";")};
        }
        EXPECT_EQ(test::Join(found), test::Join(c.want));
    }
    // What the last action logged and asked.
    void Check() {
        SCOPED_TRACE(action_);
        for (const auto& [what, want] : want_) {
            const std::string got = what == "log" ? log_.text
                                  : what == "log-starts" ? log_.text.substr(0, want[0].size())
                                  : test::Join(what == "runs" ? machine_.runs : machine_.asked[what], "\n");
            EXPECT_EQ(got, test::Join(want, "\n")) << what;
        }
        want_.clear(), machine_.asked.clear(), machine_.runs.clear(), log_.text.clear();
    }

    test::FakeMachine machine_;
    EnglishTexts texts_;
    test::MemoryLog log_;
    std::string action_;
    bool modern_ = false;
    std::map<std::string, Strings> want_;
};

TEST(JvmSearchTest, Scenarios) {
    std::unique_ptr<Scenario> scenario;
    std::string name = "-";
    test::ForEachCase("jvm_search.txt", [&](const test::Case& c) {
        if (c.table != name) scenario.reset(), scenario = std::make_unique<Scenario>(), name = c.table;
        scenario->Line(c);
    });
}

}  // namespace
}  // namespace tarnwick
