#include "jvmsearch/win32/windows_machine.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "base/win32/file_exists.h"
#include "base/win32/run_process.h"
#include "base/win32/scoped_handle.h"

namespace tarnwick {
namespace {

// Registry keys: RegOpenKey reports failure through its result, never
// through a special key value, so null is simply "nothing held".
struct RegistryKeyTraits {
    using Type = HKEY;
    static HKEY Empty() { return nullptr; }
    static void Close(HKEY key) { ::RegCloseKey(key); }
};
using ScopedRegistryKey = UniqueHandle<RegistryKeyTraits>;

// Find handles are closed with FindClose, not CloseHandle.
struct FindHandleTraits {
    using Type = HANDLE;
    static HANDLE Empty() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE find) { ::FindClose(find); }
};
using ScopedFindHandle = UniqueHandle<FindHandleTraits>;

constexpr DWORD kRegistryBufferBytes = 260;
constexpr DWORD kPathBufferBytes = 67600;
constexpr UINT kFolderBufferBytes = 260;

std::string FolderWithoutTrailingBackslash(const char* text, UINT length, UINT capacity) {
    if (length == 0 || length >= capacity) return std::string();
    std::string folder(text, length);
    if (!folder.empty() && folder.back() == '\\') folder.pop_back();
    return folder;
}

}  // namespace

bool WindowsMachine::ReadRegistryString(const std::string& key, const std::string& valueName,
                                        std::string* value) {
    HKEY opened = nullptr;
    if (::RegOpenKeyA(HKEY_LOCAL_MACHINE, key.c_str(), &opened) != ERROR_SUCCESS) return false;
    ScopedRegistryKey owner(opened);

    char buffer[kRegistryBufferBytes] = {};
    DWORD size = sizeof buffer;
    // The value's type is not checked: whatever is stored is taken as text.
    if (::RegQueryValueExA(owner.Get(), valueName.c_str(), nullptr, nullptr,
                           reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS) {
        return false;
    }
    // A binary value may fill the buffer without a NUL.
    const size_t filled = std::min<size_t>(size, sizeof buffer);
    value->assign(buffer, strnlen(buffer, filled));
    return true;
}

bool WindowsMachine::FileExists(const std::string& path) { return tarnwick::FileExists(path); }

bool WindowsMachine::ListEntries(const std::string& pattern, std::vector<FolderEntry>* entries) {
    entries->clear();
    WIN32_FIND_DATAA found;
    ScopedFindHandle find(::FindFirstFileA(pattern.c_str(), &found));
    if (!find.IsValid()) return false;
    do {
        FolderEntry entry;
        entry.name = found.cFileName;
        entry.isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        entry.isReparsePoint = (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        entries->push_back(std::move(entry));
    } while (::FindNextFileA(find.Get(), &found));
    return true;
}

bool WindowsMachine::IdentifyFolder(const std::string& folder, FolderIdentity* identity) {
    // Backup semantics is what lets CreateFile open a folder at all.
    ScopedHandle handle(::CreateFileA(folder.c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!handle.IsValid()) return false;
    BY_HANDLE_FILE_INFORMATION information = {};
    if (!::GetFileInformationByHandle(handle.Get(), &information)) return false;
    identity->volume = information.dwVolumeSerialNumber;
    identity->index =
        (static_cast<uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow;
    return true;
}

std::string WindowsMachine::PathVariable() {
    std::vector<char> buffer(kPathBufferBytes);
    const DWORD length = ::GetEnvironmentVariableA("PATH", buffer.data(), kPathBufferBytes);
    // Too long: the result is the size needed, which is more than we have.
    if (length == 0 || length >= kPathBufferBytes) return std::string();
    return std::string(buffer.data(), length);
}

std::string WindowsMachine::WindowsFolder() {
    char buffer[kFolderBufferBytes] = {};
    const UINT length = ::GetWindowsDirectoryA(buffer, kFolderBufferBytes);
    return FolderWithoutTrailingBackslash(buffer, length, kFolderBufferBytes);
}

std::string WindowsMachine::SystemFolder() {
    char buffer[kFolderBufferBytes] = {};
    const UINT length = ::GetSystemDirectoryA(buffer, kFolderBufferBytes);
    return FolderWithoutTrailingBackslash(buffer, length, kFolderBufferBytes);
}

bool WindowsMachine::IsFixedDrive(const std::string& root) {
    return ::GetDriveTypeA(root.c_str()) == DRIVE_FIXED;
}

bool WindowsMachine::Cancelled() { return IsCancelled(cancel_); }

Machine::RunOutcome WindowsMachine::RunCapturingOutput(const std::string& commandLine,
                                                       size_t maxOutput, std::string* output) {
    ProcessOptions options;
    options.hidden = true;
    options.output = output;
    options.maxOutput = maxOutput;
    options.timeLimitMs = verificationTimeLimitMs_;
    options.cancel = cancel_;
    options.endOnCancel = true;
    switch (RunProcessLine(commandLine, options)) {
        case ProcessOutcome::Ended:
            return RunOutcome::Ended;
        case ProcessOutcome::TimedOut:
            return RunOutcome::TimedOut;
        case ProcessOutcome::Cancelled:
            return RunOutcome::Cancelled;
        default:
            return RunOutcome::NotStarted;
    }
}

}  // namespace tarnwick
