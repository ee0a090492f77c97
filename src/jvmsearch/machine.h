// What the JVM search asks of the machine it runs on. The search is written
// against this interface, so its order of places, its caches and its log
// lines are tested natively with a scripted machine; the launcher gives it
// the Windows one.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/security_descriptor.h"

namespace tarnwick {

struct FolderEntry {
    std::string name;  // as the file system reports it
    bool isFolder = false;
    // A junction or symbolic link: the scan never enters one, so a link to
    // one of its own ancestors cannot make it endless.
    bool isReparsePoint = false;
    // The folder's index on the volume of the folder listed, when the listing
    // gives it (0: not given). It spares the walk asking the folder's
    // identity; a machine leaves it out where the folder may count as another
    // volume (a drive's root inside another drive).
    uint64_t fileIndex = 0;
};

// Identifies a folder on the machine (volume serial and file index on
// Windows), so a walk can refuse to enter the same folder twice.
struct FolderIdentity {
    uint32_t volume = 0;
    uint64_t index = 0;
    bool operator<(const FolderIdentity& other) const {
        return volume != other.volume ? volume < other.volume : index < other.index;
    }
};

// Where today's JVMs register: the two registry roots, and the views a
// program may read them in. Default is the view the program gets without
// asking (the only one on 32-bit Windows); the others are asked for with
// KEY_WOW64_64KEY and KEY_WOW64_32KEY.
enum class RegistryRoot { LocalMachine, CurrentUser };
enum class RegistryView { Default, Bits64, Bits32 };

class Machine {
  public:
    virtual ~Machine() = default;

    // The text of a value under HKEY_LOCAL_MACHINE\key, up to its first NUL,
    // whatever its registry type; false when the key or value is missing or
    // the value does not fit 260 bytes.
    virtual bool ReadRegistryString(const std::string& key, const std::string& valueName,
                                    std::string* value) = 0;
    // The path's attributes can be read: a file or a folder.
    virtual bool FileExists(const std::string& path) = 0;
    // The entries matching a FindFirstFile pattern ("C:\dir\*.*",
    // "C:\jdk\bin\java.exe"), in the order the file system gives them,
    // "." and ".." included. False when nothing matches or the folder
    // cannot be opened.
    virtual bool ListEntries(const std::string& pattern, std::vector<FolderEntry>* entries) = 0;
    // False when the folder cannot be opened.
    virtual bool IdentifyFolder(const std::string& folder, FolderIdentity* identity) = 0;
    // The PATH variable; empty when it is absent or longer than 67,599 bytes.
    virtual std::string PathVariable() = 0;
    virtual std::string WindowsFolder() = 0;  // no trailing backslash
    virtual std::string SystemFolder() = 0;   // no trailing backslash
    // True when the root ("D:\") is a fixed drive.
    virtual bool IsFixedDrive(const std::string& root) = 0;
    // True once the user has confirmed aborting the run: the search stops
    // where it is, and writes nothing more.
    virtual bool Cancelled() { return false; }
    // Runs `commandLine` hidden, with standard output on a pipe, and gives
    // what it printed there (at most `maxOutput` bytes are kept, the rest is
    // drained). NotStarted when the pipe or the process cannot be made;
    // TimedOut when it did not end within the time limit and was ended;
    // Cancelled when the run was aborted meanwhile (and the child ended).
    enum class RunOutcome { NotStarted, Ended, TimedOut, Cancelled };
    virtual RunOutcome RunCapturingOutput(const std::string& commandLine, size_t maxOutput,
                                          std::string* output) = 0;

    // For the search of today's JVMs (search=modern). A machine that knows
    // none of them finds nothing there.
    // The registry views to read, in order: 64-bit then 32-bit where the
    // system has both, else only the default one.
    virtual std::vector<RegistryView> RegistryViews() { return {RegistryView::Default}; }
    // The names of the subkeys of root\key in that view, in the order the
    // registry gives them; false when the key cannot be opened.
    virtual bool ListRegistrySubkeys(RegistryRoot, RegistryView, const std::string& /*key*/,
                                     std::vector<std::string>* /*names*/) {
        return false;
    }
    // A text value (REG_SZ or REG_EXPAND_SZ, taken as stored) of root\key in
    // that view; false when missing, of another type or longer than 1,024 bytes.
    virtual bool ReadRegistryText(RegistryRoot, RegistryView, const std::string& /*key*/,
                                  const std::string& /*valueName*/, std::string* /*value*/) {
        return false;
    }
    // An environment variable; empty when it is absent or too long.
    virtual std::string EnvironmentVariable(const std::string& /*name*/) { return std::string(); }

    // For the guard against planted JVMs (planted_jvm_guard.h). True when the
    // launcher runs elevated (an administrator's full token) or as SYSTEM.
    virtual bool RunsElevated() { return false; }
    // The owner and access list of a file or folder; false when they cannot
    // be read.
    virtual bool ReadAccess(const std::string& /*path*/, ObjectAccess* /*access*/) { return false; }
};

}  // namespace tarnwick
