// The JVM search on a scripted machine, run from the scenarios in
// cases/jvm_search.txt: what is on the machine, what the search is asked,
// and what it found, logged, asked the machine and ran, in order.
#include "jvmsearch/jvm_search.h"

#include "app/process_flags.h"
#include "tests/host/case_table.h"
#include "tests/host/fake_machine.h"
#include "tests/host/test_bytes.h"

namespace tarnwick {
namespace {

using test::FakeMachine;
using test::Lower;
using test::Strings;

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
            const std::map<std::string, Machine::RunOutcome> outcomes = {
                {"ended", Machine::RunOutcome::Ended}, {"timed out", Machine::RunOutcome::TimedOut},
                {"not started", Machine::RunOutcome::NotStarted}};
            machine_.AddJvm(a, b, c.in[3]);
            if (verb == "answer") machine_.jvms[Lower(a)] = {outcomes.at(b), c.in[3]};
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
            else EXPECT_EQ(test::Join(what == "runs" ? machine_.runs : machine_.asked[what], "\n"), test::Join(want, "\n"))
                << "asked: " << what;
        }
        want_.clear();
        machine_.asked.clear();
        machine_.runs.clear();
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
