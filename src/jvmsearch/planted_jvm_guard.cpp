#include "jvmsearch/planted_jvm_guard.h"

#include <algorithm>
#include <vector>

namespace tarnwick {
namespace {

// The accounts that count as administrators: SYSTEM, the Administrators
// group and TrustedInstaller, who owns Windows' own files.
bool IsAdministrator(const std::string& sid) {
    return sid == "S-1-5-18" || sid == "S-1-5-32-544" ||
           sid == "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";
}

// OWNER RIGHTS stands for the owner, who is checked on its own. CREATOR
// OWNER and CREATOR GROUP match no account on the object itself: they only
// shape what its children inherit.
bool StandsForOwnerOrNobody(const std::string& sid) {
    return sid == "S-1-3-4" || sid == "S-1-3-0" || sid == "S-1-3-1";
}

// Rights that let the holder plant or swap code. On anything: rewrite the
// access list or take ownership (and the generic rights that include
// those). On the file: change its bytes or delete it. On a folder: add,
// delete or rename what is in it, or delete (rename) the folder itself. On a
// drive's root every user may make folders on Windows: a new folder cannot
// take the place of one on the way to a JVM, and one a user made (C:\JDK1.2)
// is his and inherits his rights, so it is caught when it is asked.
constexpr uint32_t kWriteDac = 0x40000, kWriteOwner = 0x80000, kDelete = 0x10000;
constexpr uint32_t kGenericAll = 0x10000000, kGenericWrite = 0x40000000;
constexpr uint32_t kWriteData = 0x2, kAppendData = 0x4, kDeleteChild = 0x40;
uint32_t PlantingRights(PathPart part) {
    const uint32_t any = kWriteDac | kWriteOwner | kGenericAll | kGenericWrite;
    switch (part) {
        case PathPart::File: return any | kWriteData | kAppendData | kDelete;
        case PathPart::Folder: return any | kWriteData | kAppendData | kDeleteChild | kDelete;
        default: return any | kWriteData | kDeleteChild;
    }
}

std::string Lower(std::string text) {
    for (char& c : text) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    return text;
}

}  // namespace

// Denying entries are left out: whom they stop depends on group
// memberships of accounts not known here, and without them the answer can
// only err towards "others may change it".
bool OnlyAdministratorsMayChange(const ObjectAccess& access, PathPart part) {
    // The owner may always rewrite the access list.
    if (!access.hasAccessList || !IsAdministrator(access.owner)) return false;
    for (const AccessEntry& entry : access.entries) {
        if (!entry.allows || entry.inheritOnly || (entry.rights & PlantingRights(part)) == 0) continue;
        if (!IsAdministrator(entry.sid) && !StandsForOwnerOrNobody(entry.sid)) return false;
    }
    return true;
}

bool IsAbsolutePath(const std::string& path) {
    const bool drive = path.size() >= 3 && ((path[0] | 0x20) >= 'a' && (path[0] | 0x20) <= 'z') &&
                       path[1] == ':' && path[2] == '\\';
    return drive || path.compare(0, 2, "\\\\") == 0;
}

bool PlantedJvmGuard::MayRun(const std::string& executable) {
    if (elevated_ < 0) elevated_ = machine_.RunsElevated() ? 1 : 0;
    if (elevated_ == 0) return true;
    bool unreadable = false;
    const std::string open = FirstOpenObject(executable, &unreadable);
    if (open.empty()) return true;
    if (log_.tracing() || logged_.insert(Lower(executable)).second) {
        WriteLogLine(log_, unreadable ? "\r\n\tSkipped JVM  %s...not run elevated: cannot tell who may change %s."
                                      : "\r\n\tSkipped JVM  %s...not run elevated: non-administrators can change %s.",
                     {executable, open});
    }
    return false;
}

std::string PlantedJvmGuard::FirstOpenObject(const std::string& executable, bool* unreadable) {
    *unreadable = true;  // until the path is taken apart
    if (!IsAbsolutePath(executable)) return executable;
    // "C:\" or "\\server\share\".
    const size_t rootEnd = executable[1] == ':' ? 2 : executable.find('\\', executable.find('\\', 2) + 1);
    if (rootEnd == std::string::npos) return executable;
    *unreadable = false;
    std::string path = executable.substr(0, rootEnd + 1);
    std::vector<std::pair<std::string, PathPart>> objects{{path, PathPart::DriveRoot}};
    for (size_t from = rootEnd + 1; from < executable.size();) {
        const size_t end = std::min(executable.find('\\', from), executable.size());
        const std::string name = executable.substr(from, end - from);
        from = end + 1;
        if (name.empty() || name == ".") continue;
        // Which folder ".." names depends on links: not worth the risk.
        if (name == "..") return *unreadable = true, executable;
        path += (path.back() == '\\' ? "" : "\\") + name;
        objects.push_back({path, PathPart::Folder});
    }
    if (objects.size() < 2) return *unreadable = true, executable;
    objects.back().second = PathPart::File;
    for (const auto& [object, part] : objects) {
        const int verdict = Verdict(object, part);
        if (verdict != 1) return *unreadable = verdict == 2, object;
    }
    return std::string();
}

int PlantedJvmGuard::Verdict(const std::string& path, PathPart part) {
    const auto known = verdicts_.find(Lower(path));
    if (known != verdicts_.end()) return known->second;
    ObjectAccess access;
    const int verdict = !machine_.ReadAccess(path, &access) ? 2 : OnlyAdministratorsMayChange(access, part) ? 1 : 0;
    return verdicts_[Lower(path)] = verdict;
}

}  // namespace tarnwick
