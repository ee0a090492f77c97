// Registry values as the search turns them into JVM paths: the first 260
// bytes are what RegQueryValueEx left in the buffer (the next two the size
// it reported), taken as a runtime's JavaHome. The text never reaches past
// the buffer or a NUL; and where Windows could hold such a folder, the
// verification command line comes apart into exactly the JVM, its class
// path and the verify class.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/log_sink.h"
#include "base/texts.h"
#include "fuzz_check.h"
#include "jvmsearch/jvm_search.h"
#include "jvmsearch/registry_value.h"
#include "windows_arguments.h"

namespace {

using tarnwick::Machine;

// Every path Windows could hold exists; every JVM answers as Sun's 1.2.
struct AnyFileMachine final : Machine {
    bool ReadRegistryString(const std::string& key, const std::string& name, std::string* value) override {
        const bool runtime = name == "JavaHome" && key.find("Java Runtime Environment") != std::string::npos;
        if (runtime) *value = home;
        return runtime;
    }
    bool FileExists(const std::string& path) override {
        for (const char c : path) {
            if (static_cast<unsigned char>(c) < 32 || std::string("\"<>|*?").find(c) != std::string::npos) return false;
        }
        return true;
    }
    bool ListEntries(const std::string&, std::vector<tarnwick::FolderEntry>*) override { return false; }
    bool IdentifyFolder(const std::string&, tarnwick::FolderIdentity*) override { return false; }
    std::string PathVariable() override { return std::string(); }
    std::string WindowsFolder() override { return "C:\\WINDOWS"; }
    std::string SystemFolder() override { return "C:\\WINDOWS\\system32"; }
    bool IsFixedDrive(const std::string&) override { return false; }
    RunOutcome RunCapturingOutput(const std::string& commandLine, size_t, std::string* output) override {
        runs.push_back(commandLine);
        *output = "java.version = 1.2.2\r\njava.vendor.url = http://java.sun.com/\r\n";
        return RunOutcome::Ended;
    }
    std::string home;
    std::vector<std::string> runs;
};

constexpr size_t kBuffer = 260;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tarnwick;
    if (size < 2) return 0;
    const size_t reported = size_t{data[0]} << 8 | data[1];
    char buffer[kBuffer] = {};
    const size_t given = std::min(size - 2, kBuffer);
    std::copy(data + 2, data + 2 + given, buffer);
    const std::string home = RegistryValueText(buffer, reported, kBuffer);
    Check(home.size() <= std::min(reported, kBuffer) && home.find('\0') == std::string::npos);
    Check(home.compare(0, home.size(), buffer, home.size()) == 0);

    AnyFileMachine machine;
    machine.home = home;
    const EnglishTexts texts;
    DiscardLog log;
    JvmSearch search(machine, texts, log, "C:\\Temp\\Verify.class");
    const JvmDescriptor found = search.FindJvm("vendor=sun:type=jre:version=1.2", 1);
    if (!machine.FileExists(home)) return 0;
    Check(found.bin == home + "\\bin\\jre.exe" && !machine.runs.empty());
    for (const std::string& line : machine.runs) {
        const std::vector<std::string> parts = SplitWindowsCommandLine(line);
        // The program name follows its own rule; the arguments after it are exact.
        Check(parts.size() >= 4);
        const std::string& option = parts[parts.size() - 3];
        Check((option == "-cp" || option == "-classpath" || option == "/cp:p") && parts.back() == "Verify");
        Check(parts[parts.size() - 2] == home + "\\lib\\classes.zip;C:\\Temp");
    }
    return 0;
}
