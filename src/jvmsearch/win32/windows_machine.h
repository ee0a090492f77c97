// The machine the JVM search runs on, through the Win32 API: registry,
// file system, environment, drives, and the verification run of a candidate
// JVM with its standard output on a pipe.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "base/win32/cancel_event.h"
#include "jvmsearch/machine.h"

namespace tarnwick {

// How long a candidate JVM may take to print its properties and end. A
// candidate that hangs (a broken installation waiting for input, a JVM that
// never exits) must not hold up the installation for ever.
constexpr DWORD kVerificationTimeLimitMs = 60000;

class WindowsMachine final : public Machine {
  public:
    // The limit is a parameter only so that tests need not wait a minute.
    explicit WindowsMachine(DWORD verificationTimeLimitMs = kVerificationTimeLimitMs,
                            const CancelEvent* cancel = nullptr)
        : verificationTimeLimitMs_(verificationTimeLimitMs), cancel_(cancel) {}

    bool ReadRegistryString(const std::string& key, const std::string& valueName,
                            std::string* value) override;
    bool FileExists(const std::string& path) override;
    bool ListEntries(const std::string& pattern, std::vector<FolderEntry>* entries) override;
    bool IdentifyFolder(const std::string& folder, FolderIdentity* identity) override;
    std::string PathVariable() override;
    std::string WindowsFolder() override;
    std::string SystemFolder() override;
    bool IsFixedDrive(const std::string& root) override;
    bool Cancelled() override;
    // TimedOut leaves in `output` what the child printed before it was ended.
    RunOutcome RunCapturingOutput(const std::string& commandLine, size_t maxOutput,
                                  std::string* output) override;
    // Both views where the process runs under WOW64 (or is 64-bit itself);
    // Windows 2000 refuses the KEY_WOW64_* flags, so elsewhere none is asked.
    std::vector<RegistryView> RegistryViews() override;
    bool ListRegistrySubkeys(RegistryRoot root, RegistryView view, const std::string& key,
                             std::vector<std::string>* names) override;
    bool ReadRegistryText(RegistryRoot root, RegistryView view, const std::string& key,
                          const std::string& valueName, std::string* value) override;
    std::string EnvironmentVariable(const std::string& name) override;
    // windows_access.cpp
    bool RunsElevated() override;
    bool ReadAccess(const std::string& path, ObjectAccess* access) override;

    DWORD verificationTimeLimitMs() const { return verificationTimeLimitMs_; }

  private:
    // Reads "folder\*.*" on one handle, giving each child folder's index:
    // false where Windows cannot (before Vista) or the folder cannot be read.
    bool ListWholeFolder(const std::string& folder, std::vector<FolderEntry>* entries);
    bool IsFixedDriveRootIndex(uint64_t index);

    DWORD verificationTimeLimitMs_;
    // The file indexes of the fixed drives' roots, read at the first listing.
    bool driveRootsRead_ = false;
    std::vector<uint64_t> driveRootIndexes_;
    const CancelEvent* cancel_;
};

}  // namespace tarnwick
