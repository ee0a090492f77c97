#include "jvmsearch/jvm_search.h"

#include <gtest/gtest.h>

#include "tests/host/fake_machine.h"
#include "tests/host/test_bytes.h"

namespace tarnwick {
namespace {

using test::FakeMachine;
using test::MemoryLog;

const char kPackageCriteria[] =
    "vendor=sun:type=jre:version=1.2;vendor=sun:type=jre:version=1.1;vendor=sun:type=jdk:version=1.2;"
    "vendor=sun:type=jdk:version=1.1;vendor=ibm:version=1.2;vendor=ibm:version=1.1;vendor=ibm:version=1.2;"
    "vendor=microsoft:type=jview:version=1.1";
const char kSunUrl[] = "http://java.sun.com/";
const char kJre[] = "Software\\JavaSoft\\Java Runtime Environment\\";
const char kJdk[] = "Software\\JavaSoft\\Java Development Kit\\";
const char kIbmJre[] = "Software\\IBM\\IBM Runtime Environment, Java(TM) Tech. Edition\\";
const char kIbmJdk[] = "Software\\IBM\\IBM Developer Kit, Java(TM) Tech. Edition\\";

class JvmSearchTest : public testing::Test {
  protected:
    JvmDescriptor Find(const std::string& criteria, int searchNumber = 1) {
        JvmSearch search(machine, texts, log, "C:\\t\\Verify.class");
        return search.FindJvm(criteria, searchNumber);
    }
    // What the search asked of the machine, of one kind, in order.
    std::vector<std::string> Asked(const std::string& kind) const {
        std::vector<std::string> out;
        for (const std::string& a : machine.asked) {
            if (a.compare(0, kind.size() + 1, kind + " ") == 0) out.push_back(a.substr(kind.size() + 1));
            if (a == kind) out.push_back(a);
        }
        return out;
    }

    FakeMachine machine;
    EnglishTexts texts;
    MemoryLog log;
};

TEST_F(JvmSearchTest, PackageCriteriaTryThePlacesInOrder) {
    const JvmDescriptor found = Find(kPackageCriteria);
    EXPECT_TRUE(found.bin.empty());

    const std::vector<std::string> keys = Asked("registry");
    const std::vector<std::string> want = {
        std::string(kJre) + "1.2", std::string(kJre) + "1.1", std::string(kJdk) + "1.2",
        std::string(kJdk) + "1.1", std::string(kIbmJre) + "1.2", std::string(kIbmJdk) + "1.2",
        std::string(kIbmJre) + "1.1", std::string(kIbmJdk) + "1.1", std::string(kIbmJre) + "1.2",
        std::string(kIbmJdk) + "1.2"};
    EXPECT_EQ(keys, want);

    std::vector<std::string> defaults;
    for (const std::string& probe : Asked("exists")) {
        if (probe.find("Program Files") != std::string::npos || probe.find("JDK") != std::string::npos ||
            probe.find("jview") != std::string::npos) {
            defaults.push_back(probe);
        }
    }
    EXPECT_EQ(defaults, (std::vector<std::string>{
                            "C:\\Program Files\\JavaSoft\\jre\\1.2\\bin\\jre.exe",
                            "C:\\Program Files\\JavaSoft\\jre\\1.1\\bin\\jre.exe",
                            "C:\\JDK1.2\\bin\\java.exe", "C:\\JDK1.1\\bin\\java.exe",
                            "C:\\Program Files\\IBM\\jre\\1.2\\bin\\jre.exe", "C:\\JDK1.2\\bin\\java.exe",
                            "C:\\Program Files\\IBM\\jre\\1.1\\bin\\jre.exe", "C:\\JDK1.1\\bin\\java.exe",
                            "C:\\Program Files\\IBM\\jre\\1.2\\bin\\jre.exe", "C:\\JDK1.2\\bin\\java.exe",
                            "C:\\WINDOWS\\jview.exe", "C:\\WINDOWS\\system32\\jview.exe"}));
    EXPECT_EQ(Asked("PATH").size(), 2u) << "PATH is read once for jre.exe, once for java.exe";
    EXPECT_EQ(Asked("list"), std::vector<std::string>{"C:\\*.*"}) << "one drive walk per search";
}

TEST_F(JvmSearchTest, ReadsThePathOncePerExecutableName) {
    machine.path = "C:\\tools;D:\\bin";
    Find(kPackageCriteria);
    EXPECT_EQ(Asked("PATH").size(), 2u);
    EXPECT_EQ(Asked("list"), (std::vector<std::string>{"C:\\tools\\jre.exe", "D:\\bin\\jre.exe",
                                                       "C:\\tools\\java.exe", "D:\\bin\\java.exe",
                                                       "C:\\*.*"}));
}

TEST_F(JvmSearchTest, SummaryWithoutLogAllIsOneLinePerCriterion) {
    Find("vendor=sun:type=jre:version=1.2;vendor=ibm");
    EXPECT_EQ(log.text,
              "\r\n\tSearching a JVM that matches the criteria  (Vendor=sun, Version=1.2, Type=jre)... Not Found"
              "\r\n\tSearching a JVM that matches the criteria  (Vendor=ibm, Version=, Type=)... Not Found");
}

TEST_F(JvmSearchTest, FullTraceOfAFindInTheRegistry) {
    log.SetTracing(true);
    machine.registry[std::string(kJre) + "1.1|JavaHome"] = "C:\\JRE\\1.1";
    machine.AddJvm("C:\\JRE\\1.1\\bin\\jre.exe", kSunUrl, "1.1.8");
    machine.AddFile("C:\\JRE\\1.1\\lib\\classes.zip");
    const JvmDescriptor found = Find("vendor=sun:type=jre:version=1.1;vendor=ibm");
    EXPECT_EQ(found.bin, "C:\\JRE\\1.1\\bin\\jre.exe");
    EXPECT_EQ(found.home, "C:\\JRE\\1.1");
    EXPECT_EQ(found.libs, "C:\\JRE\\1.1\\lib\\classes.zip");
    EXPECT_EQ(found.type, "jre");
    EXPECT_EQ(found.vendor, "sun");
    EXPECT_EQ(found.version, "1.1.8");
    EXPECT_EQ(log.text,
              "\r\n\tSearching a JVM that matches the criteria  (Vendor=sun, Version=1.1, Type=jre) in the Registry..."
              "\r\n\tVerifying JVM  C:\\JRE\\1.1\\bin\\jre.exe...Passed."
              "\r\n\tSearching a JVM that matches the criteria  (Vendor=sun, Version=1.1, Type=jre)..."
              "C:\\JRE\\1.1\\bin\\jre.exe Passed");
    EXPECT_EQ(machine.runs, std::vector<std::string>{
                                "C:\\JRE\\1.1\\bin\\jre.exe  -cp \"C:\\JRE\\1.1\\lib\\classes.zip;C:\\t\" Verify"});
}

TEST_F(JvmSearchTest, FailedVerificationsAndPlacesAreTraced) {
    log.SetTracing(true);
    machine.registry[std::string(kJdk) + "1.2|JavaHome"] = "C:\\Program Files\\jdk";
    machine.AddJvm("C:\\Program Files\\jdk\\bin\\java.exe", kSunUrl, "1.1.8");
    Find("vendor=sun:type=jdk:version=1.2");
    EXPECT_EQ(log.text.substr(0, 257),
              "\r\n\tSearching a JVM that matches the criteria  (Vendor=sun, Version=1.2, Type=jdk) in Registry..."
              "\r\n\tVerifying JVM  C:\\Program Files\\jdk\\bin\\java.exe...failed.Not Found."
              "\r\n\tSearching a JVM that matches the criteria  (Vendor=sun, Version=1.2, Type=jdk) default ");
    ASSERT_FALSE(machine.runs.empty());
    EXPECT_EQ(machine.runs[0],
              "\"C:\\Program Files\\jdk\\bin\\java.exe\"  -classpath \"C:\\Program Files\\jdk\\bin\\..\\lib\\classes.zip;C:\\t\" Verify");
}

TEST_F(JvmSearchTest, CandidatesThatCannotAnswer) {
    log.SetTracing(true);
    machine.registry[std::string(kJre) + "1.2|JavaHome"] = "C:\\j";
    machine.AddFile("C:\\j\\bin\\jre.exe");
    const struct {
        const char* what;
        Machine::RunOutcome outcome;
        std::string output;
        const char* verifyLine;
    } cases[] = {
        {"cannot be started", Machine::RunOutcome::NotStarted, "", ""},
        {"had to be ended", Machine::RunOutcome::TimedOut, FakeMachine::VerifyOutput(kSunUrl, "1.2.2"),
         "\r\n\tVerifying JVM  C:\\j\\bin\\jre.exe...failed."},
        {"prints nothing", Machine::RunOutcome::Ended, "", "\r\n\tVerifying JVM  C:\\j\\bin\\jre.exe...failed."},
        {"no java.version", Machine::RunOutcome::Ended, "java.vendor.url = http://java.sun.com/\r\n",
         "\r\n\tVerifying JVM  C:\\j\\bin\\jre.exe...failed."},
    };
    for (const auto& c : cases) {
        machine.jvms["c:\\j\\bin\\jre.exe"] = {c.outcome, c.output};
        log.text.clear();
        JvmSearch search(machine, texts, log, "C:\\t\\Verify.class");
        JvmCriterion criterion;
        criterion.vendor = "sun";
        criterion.type = "jre";
        criterion.version = "1.2";
        SearchResults list;
        EXPECT_FALSE(search.SearchCriterion(criterion, list, SearchStage::KnownPlaces)) << c.what;
        const std::string registryLine =
            "\r\n\tSearching a JVM that matches the criteria  (Vendor=sun, Version=1.2, Type=jre) in the Registry...";
        EXPECT_EQ(log.text.substr(0, registryLine.size() + std::string(c.verifyLine).size() + 12),
                  registryLine + c.verifyLine + "Not Found.\r\n")
            << c.what;
    }
}

struct Scenario {
    const char* what;
    const char* criteria;
    void (*setUp)(FakeMachine&);
    const char* bin;
    const char* home;
    const char* type;
};

class SearchScenarioTest : public JvmSearchTest, public testing::WithParamInterface<Scenario> {};

TEST_P(SearchScenarioTest, FindsTheRightJvm) {
    const Scenario& s = GetParam();
    s.setUp(machine);
    const JvmDescriptor found = Find(s.criteria);
    EXPECT_EQ(found.bin, s.bin) << s.what;
    if (*s.bin != '\0') {
        EXPECT_EQ(found.home, s.home) << s.what;
        EXPECT_EQ(found.type, s.type) << s.what;
    }
}

const Scenario kScenarios[] = {
    {"runtime key with jre.exe", "vendor=sun:type=jre:version=1.1",
     [](FakeMachine& m) {
         m.registry[std::string(kJre) + "1.1|JavaHome"] = "C:\\JRE\\1.1";
         m.AddJvm("C:\\JRE\\1.1\\bin\\jre.exe", kSunUrl, "1.1.8");
     },
     "C:\\JRE\\1.1\\bin\\jre.exe", "C:\\JRE\\1.1", "jre"},
    {"a three-part version looks under the two-part key", "vendor=sun:type=jre:version=1.1.7",
     [](FakeMachine& m) {
         m.registry[std::string(kJre) + "1.1|JavaHome"] = "C:\\JRE\\1.1";
         m.AddJvm("C:\\JRE\\1.1\\bin\\jre.exe", kSunUrl, "1.1.7");
     },
     "C:\\JRE\\1.1\\bin\\jre.exe", "C:\\JRE\\1.1", "jre"},
    {"and the JVM must report that version", "vendor=sun:type=jre:version=1.1.7",
     [](FakeMachine& m) {
         m.registry[std::string(kJre) + "1.1|JavaHome"] = "C:\\JRE\\1.1";
         m.AddJvm("C:\\JRE\\1.1\\bin\\jre.exe", kSunUrl, "1.1.6");
     },
     "", "", ""},
    {"runtime key with only java.exe", "vendor=sun:type=jre",
     [](FakeMachine& m) {
         m.registry[std::string(kJre) + "1.2|JavaHome"] = "C:\\rt";
         m.AddJvm("C:\\rt\\bin\\java.exe", kSunUrl, "1.2.2");
     },
     "C:\\rt\\bin\\java.exe", "C:\\rt", "jre"},
    {"developer-kit key", "vendor=sun:type=jdk",
     [](FakeMachine& m) {
         m.registry[std::string(kJdk) + "1.1|JavaHome"] = "D:\\jdk";
         m.AddJvm("D:\\jdk\\bin\\java.exe", kSunUrl, "1.1.8");
     },
     "D:\\jdk\\bin\\java.exe", "D:\\jdk", "jdk"},
    {"IBM developer kit, seventh key", "vendor=ibm:type=jdk",
     [](FakeMachine& m) {
         m.registry[std::string(kIbmJdk) + "1.1.6|JavaHome"] = "C:\\ibm";
         m.AddJvm("C:\\ibm\\bin\\java.exe", "http://www.ibm.com/", "1.1.6");
     },
     "C:\\ibm\\bin\\java.exe", "C:\\ibm", "jdk"},
    {"vendor in capitals searches nothing", "vendor=IBM",
     [](FakeMachine& m) {
         m.registry[std::string(kIbmJre) + "1.2|JavaHome"] = "C:\\ibm";
         m.AddJvm("C:\\ibm\\bin\\jre.exe", "http://www.ibm.com/", "1.2");
     },
     "", "", ""},
    {"default runtime folder", "vendor=sun:type=jre:version=1.2",
     [](FakeMachine& m) { m.AddJvm("C:\\Program Files\\JavaSoft\\jre\\1.2\\bin\\jre.exe", kSunUrl, "1.2.2"); },
     "C:\\Program Files\\JavaSoft\\jre\\1.2\\bin\\jre.exe", "C:\\Program Files\\JavaSoft\\jre\\1.2", "jre"},
    {"C:\\jdk1.2 answers for C:\\JDK1.2", "vendor=sun:type=jdk:version=1.2",
     [](FakeMachine& m) { m.AddJvm("C:\\jdk1.2\\bin\\java.exe", kSunUrl, "1.2.2"); },
     "C:\\JDK1.2\\bin\\java.exe", "C:\\JDK1.2", "jdk"},
    {"PATH", "vendor=sun:type=jdk:version=1.2",
     [](FakeMachine& m) {
         m.path = "C:\\WINDOWS;;D:\\tools\\jdk1.2\\bin;";
         m.AddJvm("D:\\tools\\jdk1.2\\bin\\java.exe", kSunUrl, "1.2.2");
     },
     "D:\\tools\\jdk1.2\\bin\\java.exe", "D:\\tools\\jdk1.2", "jdk"},
    {"a PATH entry in capitals has no \\bin", "vendor=sun:type=jdk:version=1.2",
     [](FakeMachine& m) {
         m.path = "D:\\JDK12\\BIN";
         m.AddJvm("D:\\JDK12\\BIN\\java.exe", kSunUrl, "1.2.2");
     },
     "D:\\JDK12\\BIN\\java.exe", "D:\\JDK12\\BIN\\java.exe", "jdk"},
    {"the Windows folder's jre.exe is no JVM", "vendor=sun:type=jre:version=1.2",
     [](FakeMachine& m) {
         m.path = "C:\\WINDOWS";
         m.AddJvm("C:\\WINDOWS\\jre.exe", kSunUrl, "1.2.2");
     },
     "", "", ""},
    {"disk scan of a second fixed drive", "vendor=sun:type=jdk:version=1.2",
     [](FakeMachine& m) {
         m.fixedDrives.insert("D:\\");
         m.AddFile("C:\\WINDOWS\\notepad.exe");
         m.AddJvm("D:\\tools\\jdk1.2\\bin\\java.exe", kSunUrl, "1.2.2");
     },
     "D:\\tools\\jdk1.2\\bin\\java.exe", "D:\\tools\\jdk1.2", "jdk"},
    {"a drive that is not fixed is not scanned", "vendor=sun:type=jdk:version=1.2",
     [](FakeMachine& m) { m.AddJvm("E:\\jdk\\bin\\java.exe", kSunUrl, "1.2.2"); }, "", "", ""},
    {"jview in the Windows folder", "vendor=microsoft:type=jview:version=1.1",
     [](FakeMachine& m) { m.AddJvm("C:\\WINDOWS\\jview.exe", "http://www.microsoft.com/", "1.1.4"); },
     "C:\\WINDOWS\\jview.exe", "C:\\WINDOWS", "jview"},
    {"a microsoft criterion of another type is still jview", "vendor=microsoft:type=jre",
     [](FakeMachine& m) { m.AddJvm("C:\\WINDOWS\\system32\\jview.exe", "http://www.microsoft.com/", "1.1"); },
     "C:\\WINDOWS\\system32\\jview.exe", "C:\\WINDOWS\\system32", "jview"},
    {"only the Windows folder's jview is tried", "vendor=microsoft",
     [](FakeMachine& m) {
         m.AddJvm("C:\\WINDOWS\\jview.exe", "http://example.org/", "1.1");
         m.AddJvm("C:\\WINDOWS\\system32\\jview.exe", "http://www.microsoft.com/", "1.1");
     },
     "", "", ""},
};

INSTANTIATE_TEST_SUITE_P(Places, SearchScenarioTest, testing::ValuesIn(kScenarios));

TEST_F(JvmSearchTest, AnEmptyVendorTriesTheSunKeysOnly) {
    Find("");
    EXPECT_EQ(Asked("registry"), (std::vector<std::string>{std::string(kJre) + "1.2", std::string(kJre) + "1.1",
                                                           std::string(kJdk) + "1.2", std::string(kJdk) + "1.1"}));
}

TEST_F(JvmSearchTest, IbmDeveloperKitKeysInOrder) {
    Find("vendor=ibm:type=jdk");
    std::vector<std::string> want;
    for (const char* v : {"1.2", "1.1.1", "1.1.2", "1.1.3", "1.1.4", "1.1.5", "1.1.6", "1.1.7", "1.1.8"}) {
        want.push_back(std::string(kIbmJdk) + v);
    }
    EXPECT_EQ(Asked("registry"), want);
}

TEST_F(JvmSearchTest, AMicrosoftCriterionFirstLeavesTheKnownPlacesUnsearched) {
    machine.AddJvm("C:\\WINDOWS\\jview.exe", "http://www.microsoft.com/", "1.1.4");
    const JvmDescriptor found = Find("vendor=microsoft:type=jview:version=1.1;vendor=sun");
    EXPECT_EQ(found.bin, "C:\\WINDOWS\\jview.exe");
    EXPECT_TRUE(Asked("registry").empty());

    // The search after installing a shipped JVM keeps no microsoft criterion.
    machine.asked.clear();
    log.text.clear();
    EXPECT_TRUE(Find("vendor=microsoft:type=jview:version=1.1;vendor=sun", 2).bin.empty());
    EXPECT_EQ(log.text, "\r\n\tSearching a JVM that matches the criteria  (Vendor=sun, Version=, Type=)... Not Found");
}

TEST_F(JvmSearchTest, DiskScanFollowsNoLinkAndEntersNoFolderTwice) {
    machine.AddFile("C:\\a\\b\\readme.txt");
    machine.AddLink("C:\\a\\b", "up");  // a link back to C:\a
    machine.AddFile("C:\\mirror\\x.txt");
    machine.aliases["C:\\mirror"] = "C:\\a";  // the same folder under another name
    JvmSearch search(machine, texts, log, "C:\\t\\Verify.class");
    std::vector<std::string> lists[2];
    search.ScanFolderTree("C:\\", lists);
    std::vector<std::string> walked = Asked("list");
    std::sort(walked.begin(), walked.end());
    EXPECT_EQ(walked, (std::vector<std::string>{"C:\\*.*", "C:\\a\\*.*", "C:\\a\\b\\*.*"}));
}

TEST_F(JvmSearchTest, DiskScanCollectsBothNamesAndDoesNotEnterMatches) {
    machine.AddFile("C:\\x\\java.exe\\inner\\java.exe");  // a folder named java.exe
    machine.AddFile("C:\\y\\jre.exe");
    machine.AddFile("C:\\y\\JAVA.EXE");
    JvmSearch search(machine, texts, log, "C:\\t\\Verify.class");
    std::vector<std::string> lists[2];
    search.ScanFolderTree("C:\\", lists);
    EXPECT_EQ(lists[0], std::vector<std::string>{"C:\\x\\java.exe"});
    EXPECT_EQ(lists[1], std::vector<std::string>{"C:\\y\\jre.exe"});
}

TEST_F(JvmSearchTest, FixedDrivesInLetterOrderWithoutTheSystemDrive) {
    machine.fixedDrives = {"C:\\", "Q:\\", "D:\\"};
    JvmSearch search(machine, texts, log, "C:\\t\\Verify.class");
    EXPECT_EQ(search.ListFixedDrives("C:\\"), (std::vector<std::string>{"D:\\", "Q:\\"}));
}

}  // namespace
}  // namespace tarnwick
