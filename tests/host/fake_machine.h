// A scripted machine for the JVM search: registry values, files, folder
// trees, PATH, drives and JVMs that answer (or not) when run.
#pragma once

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "jvmsearch/machine.h"

namespace tarnwick::test {

inline std::string Lower(std::string s) {
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
    // A JVM whose verification prints this vendor URL and version.
    void AddJvm(const std::string& path, const std::string& vendorUrl, const std::string& version) {
        AddFile(path);
        jvms[Lower(path)] = {RunOutcome::Ended, "java.home = C:\\jvm\r\njava.version = " + version +
                                                    "\r\njava.vendor.url = " + vendorUrl +
                                                    "\r\njava.vendor = Someone\r\nos.arch  = x86\r\n"};
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
        runs.push_back(commandLine);
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
    std::map<std::string, std::vector<std::string>> asked;           // by kind
    std::vector<std::string> runs;                                   // command lines
};

}  // namespace tarnwick::test
