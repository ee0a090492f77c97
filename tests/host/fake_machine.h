// A scripted machine for the JVM search: registry values, files, folder
// trees, PATH, drives and JVMs that answer (or not) when run. It records
// what the search asked, in order.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "jvmsearch/machine.h"

namespace tarnwick::test {

class FakeMachine final : public Machine {
  public:
    // What a JVM at a path does when run.
    struct Jvm {
        RunOutcome outcome = RunOutcome::Ended;
        std::string output;
    };

    // The verify class's output for a vendor URL and version.
    static std::string VerifyOutput(const std::string& vendorUrl, const std::string& version) {
        return "java.home = C:\\jvm\r\njava.version = " + version + "\r\njava.vendor.url = " + vendorUrl +
               "\r\njava.vendor = Someone\r\nos.arch  = x86\r\n";
    }

    void AddFile(const std::string& path) {
        files.insert(Lower(path));
        // Every folder on the way exists too, and lists what lies in it.
        size_t slash = path.rfind('\\');
        std::string child = path;
        bool isFolder = false;
        while (slash != std::string::npos && slash >= 2) {
            const std::string folder = path.substr(0, slash == 2 ? 3 : slash);
            const std::string name = child.substr(slash + 1);
            auto& entries = tree[folder];
            bool known = false;
            for (const FolderEntry& e : entries) known = known || e.name == name;
            if (!known) entries.push_back({name, isFolder, false});
            if (slash == 2) break;
            files.insert(Lower(folder));
            child = folder;
            isFolder = true;
            slash = folder.rfind('\\');
        }
    }
    void AddJvm(const std::string& path, const std::string& vendorUrl, const std::string& version) {
        AddFile(path);
        jvms[Lower(path)] = {RunOutcome::Ended, VerifyOutput(vendorUrl, version)};
    }
    void AddLink(const std::string& folder, const std::string& name) {
        tree[folder].push_back({name, true, true});
    }

    bool ReadRegistryString(const std::string& key, const std::string& valueName, std::string* value) override {
        asked.push_back("registry " + key);
        auto found = registry.find(key + "|" + valueName);
        if (found == registry.end()) return false;
        *value = found->second;
        return true;
    }
    bool FileExists(const std::string& path) override {
        asked.push_back("exists " + path);
        // Names compare without regard to case, as on Windows.
        return files.count(Lower(path)) != 0;
    }
    bool ListEntries(const std::string& pattern, std::vector<FolderEntry>* entries) override {
        asked.push_back("list " + pattern);
        const size_t slash = pattern.rfind('\\');
        if (slash == std::string::npos) return false;
        std::string folder = pattern.substr(0, slash);
        if (folder.size() == 2) folder += "\\";
        const std::string mask = pattern.substr(slash + 1);
        auto found = tree.find(folder);
        if (found == tree.end()) return false;
        entries->clear();
        if (mask == "*.*") {
            entries->push_back({".", true, false});
            entries->push_back({"..", true, false});
        }
        for (const FolderEntry& e : found->second) {
            // Names compare without regard to case, as on Windows.
            if (mask == "*.*" || Lower(e.name) == Lower(mask)) entries->push_back(e);
        }
        return !entries->empty();
    }
    bool IdentifyFolder(const std::string& folder, FolderIdentity* identity) override {
        auto alias = aliases.find(folder);
        const std::string& real = alias == aliases.end() ? folder : alias->second;
        identity->volume = 1;
        identity->index = std::hash<std::string>()(real);
        return true;
    }
    std::string PathVariable() override {
        asked.push_back("PATH");
        return path;
    }
    std::string WindowsFolder() override { return "C:\\WINDOWS"; }
    std::string SystemFolder() override { return "C:\\WINDOWS\\system32"; }
    bool IsFixedDrive(const std::string& root) override { return fixedDrives.count(root) != 0; }
    RunOutcome RunCapturingOutput(const std::string& commandLine, size_t maxOutput,
                                  std::string* output) override {
        runs.push_back(commandLine);
        // The executable is the command line up to the first blank after it.
        std::string exe = commandLine;
        if (!exe.empty() && exe[0] == '"') {
            exe = exe.substr(1, exe.find('"', 1) - 1);
        } else {
            exe = exe.substr(0, exe.find(' '));
        }
        auto found = jvms.find(Lower(exe));
        if (found == jvms.end()) return RunOutcome::NotStarted;
        *output = found->second.output.substr(0, maxOutput);
        return found->second.outcome;
    }

    static std::string Lower(std::string s) {
        for (char& c : s) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        return s;
    }

    std::map<std::string, std::string> registry;  // "key|value" -> text
    std::set<std::string> files;  // lower case
    std::map<std::string, std::vector<FolderEntry>> tree;
    std::map<std::string, std::string> aliases;  // folder -> the folder it really is
    std::string path;
    std::set<std::string> fixedDrives{"C:\\"};
    std::map<std::string, Jvm> jvms;  // by lower-case path
    std::vector<std::string> asked;
    std::vector<std::string> runs;
};

}  // namespace tarnwick::test
