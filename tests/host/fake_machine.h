// A scripted machine for the JVM search: registry values, files and
// folders, links, PATH, fixed drives and JVMs that answer (or not) when
// run. Names compare without regard to case, as on Windows; it records
// what the search asked of it, in order.
#pragma once

#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>
#include "jvmsearch/machine.h"

namespace tarnwick::test {

inline std::string Lower(std::string s) {
    for (char& c : s) c = char(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return s;
}

// "C:\a\b" -> "C:\a"; "C:\a" -> "C:\".
inline std::string Parent(const std::string& p) { return p.substr(0, p.rfind('\\') == 2 ? 3 : p.rfind('\\')); }

// An owner and entries "allow:SID:RIGHTS", "deny:..." or "inherit:..." (an
// allowing entry only for children); "nolist": no access list at all.
inline ObjectAccess Access(const std::string& owner, const std::string& entries) {
    ObjectAccess a{owner, entries != "nolist", {}};
    std::istringstream words(entries);
    for (std::string w; words >> w && w != "nolist";) {
        const size_t sid = w.find(':') + 1, rights = w.rfind(':');
        a.entries.push_back({w.substr(sid, rights - sid), uint32_t(std::stoul(w.substr(rights + 1), nullptr, 0)),
                             w[0] != 'd', w[0] == 'i'});
    }
    return a;
}

class FakeMachine final : public Machine {
  public:
    // A file, and every folder on the way to it.
    void AddFile(const std::string& path) {
        for (size_t slash = path.find('\\', 3);; slash = path.find('\\', slash + 1)) {
            if (files.insert(Lower(path.substr(0, slash))).second) paths.push_back(path.substr(0, slash));
            if (slash == std::string::npos) return;
            folders.insert(path.substr(0, slash));
        }
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
        if (registry.count(key + "|" + valueName)) *value = registry[key + "|" + valueName];
        return registry.count(key + "|" + valueName) != 0;
    }
    bool FileExists(const std::string& path) override {
        asked["exists"].push_back(path);
        return files.count(Lower(path)) != 0;
    }
    // With `cancelAfterLists` set, the run is aborted once that many
    // folders have been listed.
    bool Cancelled() override { return cancelAfterLists > 0 && asked["list"].size() >= size_t(cancelAfterLists); }
    bool ListEntries(const std::string& pattern, std::vector<FolderEntry>* entries) override {
        asked["list"].push_back(pattern);
        const std::string folder = Parent(pattern), mask = Lower(pattern.substr(pattern.rfind('\\') + 1));
        entries->clear();
        for (const std::string& p : paths) {
            const std::string name = p.substr(p.rfind('\\') + 1);
            if (Parent(p) == folder && (mask == "*.*" || Lower(name) == mask))
                entries->push_back({name, folders.count(p) != 0, false, ListedIndex(folder, p)});
        }
        for (const auto& [from, name] : links) if (from == folder) entries->push_back({name, true, true});
        if (mask == "*.*" && !entries->empty())
            entries->insert(entries->begin(), {{".", true, false}, {"..", true, false}});
        return !entries->empty();
    }
    // The volume is the drive letter of the folder it really is.
    bool IdentifyFolder(const std::string& folder, FolderIdentity* identity) override {
        asked["identify"].push_back(folder);
        *identity = {uint32_t(Real(folder)[0]), Index(Real(folder))};
        return !unidentified.count(folder);
    }
    // With listingIndexes, as Windows gives them: none for a folder that is
    // really on another drive.
    uint64_t ListedIndex(const std::string& folder, const std::string& child) {
        const bool given = listingIndexes && folders.count(child) && Real(child)[0] == Real(folder)[0];
        return given ? Index(Real(child)) : 0;
    }
    std::string Real(const std::string& folder) { return aliases.count(folder) ? aliases[folder] : folder; }
    static uint64_t Index(const std::string& folder) { return std::hash<std::string>()(folder) | 1; }
    std::string PathVariable() override { return asked["PATH"].push_back("PATH"), path; }
    std::string WindowsFolder() override { return "C:\\WINDOWS"; }
    std::string SystemFolder() override { return "C:\\WINDOWS\\system32"; }
    bool IsFixedDrive(const std::string& root) override { return fixedDrives.count(root) != 0; }
    RunOutcome RunCapturingOutput(const std::string& commandLine, size_t maxOutput, std::string* output) override {
        runs.push_back(commandLine);
        // The executable is the command line up to the first blank after it.
        const std::string exe = commandLine[0] == '"' ? commandLine.substr(1, commandLine.find('"', 1) - 1)
                                                      : commandLine.substr(0, commandLine.find(' '));
        if (!jvms.count(Lower(exe))) return RunOutcome::NotStarted;
        *output = jvms[Lower(exe)].second.substr(0, maxOutput);
        return jvms[Lower(exe)].first;
    }

    // Today's registry: "HKLM64\key|value" -> text (HKLM or HKCU, then 64, 32
    // or nothing for the default view).
    static std::string Hive(RegistryRoot root, RegistryView view) {
        return std::string(root == RegistryRoot::LocalMachine ? "HKLM" : "HKCU") +
               (view == RegistryView::Bits64 ? "64" : view == RegistryView::Bits32 ? "32" : "");
    }
    std::vector<RegistryView> RegistryViews() override { return views; }
    bool ListRegistrySubkeys(RegistryRoot root, RegistryView view, const std::string& key,
                             std::vector<std::string>* names) override {
        const std::string prefix = Hive(root, view) + "\\" + key + "\\";
        asked["subkeys"].push_back(prefix.substr(0, prefix.size() - 1));
        names->clear();
        for (const auto& [path, text] : values) {
            if (path.compare(0, prefix.size(), prefix) != 0) continue;
            const std::string name = path.substr(prefix.size(), path.find_first_of("\\|", prefix.size()) - prefix.size());
            if (names->empty() || names->back() != name) names->push_back(name);
        }
        return !names->empty();
    }
    bool ReadRegistryText(RegistryRoot root, RegistryView view, const std::string& key, const std::string& valueName,
                          std::string* value) override {
        const auto at = values.find(Hive(root, view) + "\\" + key + "|" + valueName);
        if (at != values.end()) *value = at->second;
        return at != values.end();
    }
    std::string EnvironmentVariable(const std::string& name) override { return environment[name]; }
    bool RunsElevated() override { return elevated; }
    // What is not set in `access` is as Windows' own folders are: owned by
    // the Administrators, who with SYSTEM alone may change it.
    bool ReadAccess(const std::string& path, ObjectAccess* a) override {
        asked["access"].push_back(path);
        const auto at = access.find(Lower(path));
        *a = {"S-1-5-32-544", true, {{"S-1-5-18", 0x1f01ff}, {"S-1-5-32-544", 0x1f01ff}, {"S-1-5-32-545", 0x1200a9}}};
        if (at != access.end()) *a = at->second;
        return at == access.end() || !at->second.owner.empty();
    }

    std::vector<RegistryView> views{RegistryView::Default};
    std::map<std::string, std::string> values;       // today's registry, see Hive
    std::map<std::string, std::string> environment;  // besides PATH
    std::map<std::string, std::string> registry;  // "key|value" -> text
    std::set<std::string> files, folders;         // files: lower case, every file and folder
    std::vector<std::string> paths;               // as added
    std::vector<std::pair<std::string, std::string>> links;  // folder, name of a link in it
    std::map<std::string, std::string> aliases;               // folder -> the folder it really is
    bool listingIndexes = false;                              // listings give folders' indexes
    std::set<std::string> unidentified;                       // folders whose identity cannot be read
    std::string path;
    std::set<std::string> fixedDrives{"C:\\"};
    std::map<std::string, std::pair<RunOutcome, std::string>> jvms;  // by lower-case path
    std::map<std::string, std::vector<std::string>> asked;           // by kind
    std::vector<std::string> runs;                                   // command lines
    int cancelAfterLists = 0;
    bool elevated = false;
    std::map<std::string, ObjectAccess> access;  // by lower-case path; no owner: unreadable
};

}  // namespace tarnwick::test
