// How many JVM runs a search costs in the worst case of the package's
// criteria: every place holds candidates and every candidate fails its
// verification. Runs the real search over a scripted machine and counts.
//
//   search_cost   prints the runs for a few numbers of PATH and disk matches
#include <cstdio>
#include <string>

#include "base/texts.h"
#include "jvmsearch/jvm_search.h"
#include "tests/host/fake_machine.h"
#include "tests/host/test_bytes.h"

namespace {

const char kPackageCriteria[] =
    "vendor=sun:type=jre:version=1.2;vendor=sun:type=jre:version=1.1;vendor=sun:type=jdk:version=1.2;"
    "vendor=sun:type=jdk:version=1.1;vendor=ibm:version=1.2;vendor=ibm:version=1.1;vendor=ibm:version=1.2;"
    "vendor=microsoft:type=jview:version=1.1";

// A JVM that answers, but as a vendor no criterion asks for.
void AddFailingJvm(tarnwick::test::FakeMachine& machine, const std::string& path) {
    machine.AddJvm(path, "http://example.org/", "0.9");
}

size_t CountRuns(int pathMatches, int diskMatches) {
    tarnwick::test::FakeMachine machine;
    const char* keys[] = {"Software\\JavaSoft\\Java Runtime Environment\\",
                          "Software\\JavaSoft\\Java Development Kit\\",
                          "Software\\IBM\\IBM Runtime Environment, Java(TM) Tech. Edition\\",
                          "Software\\IBM\\IBM Developer Kit, Java(TM) Tech. Edition\\"};
    int home = 0;
    for (const char* key : keys) {
        for (const char* version : {"1.1", "1.2"}) {
            const std::string folder = "C:\\reg" + std::to_string(home++);
            machine.registry[std::string(key) + version + "|JavaHome"] = folder;
            AddFailingJvm(machine, folder + "\\bin\\jre.exe");
            AddFailingJvm(machine, folder + "\\bin\\java.exe");
        }
    }
    for (const char* folder : {"C:\\Program Files\\JavaSoft\\jre\\1.2", "C:\\Program Files\\JavaSoft\\jre\\1.1",
                               "C:\\Program Files\\IBM\\jre\\1.2", "C:\\Program Files\\IBM\\jre\\1.1"}) {
        AddFailingJvm(machine, std::string(folder) + "\\bin\\jre.exe");
    }
    AddFailingJvm(machine, "C:\\JDK1.2\\bin\\java.exe");
    AddFailingJvm(machine, "C:\\JDK1.1\\bin\\java.exe");
    AddFailingJvm(machine, "C:\\WINDOWS\\jview.exe");
    for (int i = 0; i < pathMatches; ++i) {
        const std::string folder = "E:\\path" + std::to_string(i);
        machine.path += folder + ";";
        AddFailingJvm(machine, folder + "\\java.exe");
        AddFailingJvm(machine, folder + "\\jre.exe");
    }
    // The drive walk finds the registry and default folders' JVMs too; the
    // extra ones stand for other copies lying around on the disk.
    for (int i = 0; i < diskMatches; ++i) {
        AddFailingJvm(machine, "C:\\copies\\c" + std::to_string(i) + "\\java.exe");
        AddFailingJvm(machine, "C:\\copies\\c" + std::to_string(i) + "\\jre.exe");
    }
    tarnwick::EnglishTexts texts;
    tarnwick::test::MemoryLog log;
    tarnwick::JvmSearch search(machine, texts, log, "C:\\t\\Verify.class");
    search.FindJvm(kPackageCriteria, 1);
    return machine.runs.size();
}

}  // namespace

int main() {
    std::printf("JVM runs of one search with the package's criteria, no candidate passing:\n");
    std::printf("%-28s %s\n", "PATH / extra disk matches", "runs");
    for (int n : {0, 1, 2, 5}) {
        std::printf("%-28s %zu\n", (std::to_string(n) + " / " + std::to_string(n)).c_str(), CountRuns(n, n));
    }
    return 0;
}
