#include "jvmsearch/win32/windows_machine.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <cwchar>
#include <utility>

#include "base/win32/ansi_text.h"
#include "base/win32/file_exists.h"
#include "base/win32/run_process.h"
#include "base/win32/scoped_handle.h"
#include "base/win32/system_library.h"
#include "jvmsearch/registry_value.h"

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
// Today's registry values and variables hold paths: a long one still fits.
constexpr DWORD kTextValueBytes = 1024;
constexpr DWORD kSubkeyNameChars = 256;
constexpr DWORD kPathBufferBytes = 67600;
constexpr UINT kFolderBufferBytes = 260;

std::string FolderWithoutTrailingBackslash(const char* text, UINT length, UINT capacity) {
    if (length == 0 || length >= capacity) return std::string();
    std::string folder(text, length);
    if (!folder.empty() && folder.back() == '\\') folder.pop_back();
    return folder;
}

// GetFileInformationByHandleEx and the layout of FILE_ID_BOTH_DIR_INFO, Vista
// on: found at run time, so the launcher still starts where it is missing.
using GetFileInformationByHandleExFunction = BOOL(WINAPI*)(HANDLE, int, void*, DWORD);
constexpr int kFileIdBothDirectoryInfo = 10;
struct FileIdBothDirectoryEntry {
    DWORD nextEntryOffset;
    DWORD fileIndex;
    LARGE_INTEGER times[4];
    LARGE_INTEGER endOfFile;
    LARGE_INTEGER allocationSize;
    DWORD fileAttributes;
    DWORD fileNameLength;  // in bytes
    DWORD eaSize;
    CHAR shortNameLength;
    WCHAR shortName[12];
    LARGE_INTEGER fileId;
    WCHAR fileName[1];
};
static_assert(offsetof(FileIdBothDirectoryEntry, fileName) == 104, "the layout Windows writes");
// Big enough that most folders are read in one call.
constexpr size_t kDirectoryBufferBytes = 64 * 1024;

GetFileInformationByHandleExFunction FindGetFileInformationByHandleEx() {
    return KernelFunction<GetFileInformationByHandleExFunction>("GetFileInformationByHandleEx");
}

FolderEntry EntryOf(const std::string& name, DWORD attributes) {
    FolderEntry entry;
    entry.name = name;
    entry.isFolder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    entry.isReparsePoint = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    return entry;
}

// A listed name as the 8-bit API opens it: the name itself where the code
// page holds it, else the short name listed with it.
std::string AnsiName(const std::wstring& name, const FileIdBothDirectoryEntry& information) {
    const std::u16string wide(name.begin(), name.end());
    const std::string ansi = ToAnsi(wide);
    const auto shortLength = static_cast<size_t>(static_cast<unsigned char>(information.shortNameLength)) / 2;
    if (FromAnsi(ansi) == wide || shortLength == 0 || shortLength > 12) return ansi;
    return ToAnsi(std::u16string(information.shortName, information.shortName + shortLength));
}

HKEY RootKey(RegistryRoot root) {
    return root == RegistryRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

REGSAM ViewFlag(RegistryView view) {
    switch (view) {
        case RegistryView::Bits64: return KEY_WOW64_64KEY;
        case RegistryView::Bits32: return KEY_WOW64_32KEY;
        default: return 0;
    }
}

ScopedRegistryKey OpenForReading(RegistryRoot root, RegistryView view, const std::string& key) {
    HKEY opened = nullptr;
    if (::RegOpenKeyExA(RootKey(root), key.c_str(), 0, KEY_READ | ViewFlag(view), &opened) != ERROR_SUCCESS) {
        return ScopedRegistryKey();
    }
    return ScopedRegistryKey(opened);
}

}  // namespace

std::vector<RegistryView> WindowsMachine::RegistryViews() {
#ifdef _WIN64
    return {RegistryView::Bits64, RegistryView::Bits32};
#else
    // IsWow64Process came with XP SP2: looked up, not imported.
    const auto isWow64Process = KernelFunction<BOOL(WINAPI*)(HANDLE, PBOOL)>("IsWow64Process");
    BOOL wow64 = FALSE;
    if (isWow64Process != nullptr && isWow64Process(::GetCurrentProcess(), &wow64) && wow64) {
        return {RegistryView::Bits64, RegistryView::Bits32};
    }
    return {RegistryView::Default};
#endif
}

bool WindowsMachine::ListRegistrySubkeys(RegistryRoot root, RegistryView view, const std::string& key,
                                         std::vector<std::string>* names) {
    names->clear();
    const ScopedRegistryKey opened = OpenForReading(root, view, key);
    if (!opened.IsValid()) return false;
    for (DWORD index = 0;; ++index) {
        char name[kSubkeyNameChars] = {};
        DWORD length = kSubkeyNameChars;
        const LONG result = ::RegEnumKeyExA(opened.Get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_NO_MORE_ITEMS) break;
        // A name too long for any version key is skipped, not the rest.
        if (result == ERROR_SUCCESS) names->emplace_back(name, length);
        else if (result != ERROR_MORE_DATA) break;
    }
    return true;
}

bool WindowsMachine::ReadRegistryText(RegistryRoot root, RegistryView view, const std::string& key,
                                      const std::string& valueName, std::string* value) {
    const ScopedRegistryKey opened = OpenForReading(root, view, key);
    if (!opened.IsValid()) return false;
    // Read wide: a JVM installed for one user lies below a profile whose
    // name the code page may not hold.
    const std::u16string name = FromAnsi(valueName);
    wchar_t buffer[kTextValueBytes + 1] = {};
    DWORD size = kTextValueBytes * sizeof(wchar_t);
    DWORD type = 0;
    if (::RegQueryValueExW(opened.Get(), reinterpret_cast<const wchar_t*>(name.c_str()), nullptr, &type,
                           reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ)) {
        return false;
    }
    // The stored text need not end in a NUL; the spare character is one.
    const size_t stored = std::min<size_t>(size / sizeof(wchar_t), kTextValueBytes);
    *value = AnsiPathList(std::wstring(buffer, wcsnlen(buffer, stored)));
    return true;
}

std::string WindowsMachine::EnvironmentVariable(const std::string& name) {
    const std::u16string wideName = FromAnsi(name);
    wchar_t buffer[kTextValueBytes] = {};
    const DWORD length =
        ::GetEnvironmentVariableW(reinterpret_cast<const wchar_t*>(wideName.c_str()), buffer, kTextValueBytes);
    if (length == 0 || length >= kTextValueBytes) return std::string();
    return AnsiPathList(std::wstring(buffer, length));
}

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
    *value = RegistryValueText(buffer, size, sizeof buffer);
    return true;
}

bool WindowsMachine::FileExists(const std::string& path) { return tarnwick::FileExists(path); }

bool WindowsMachine::ListEntries(const std::string& pattern, std::vector<FolderEntry>* entries) {
    entries->clear();
    const std::string all = "\\*.*";
    if (pattern.size() > all.size() && pattern.compare(pattern.size() - all.size(), all.size(), all) == 0) {
        // "C:\" stays a root; "C:\dir\" loses the backslash.
        std::string folder = pattern.substr(0, pattern.size() - all.size());
        if (folder.back() == ':') folder += '\\';
        if (ListWholeFolder(folder, entries)) return true;
        entries->clear();
    }
    WIN32_FIND_DATAA found;
    ScopedFindHandle find(::FindFirstFileA(pattern.c_str(), &found));
    if (!find.IsValid()) return false;
    do {
        // '?' is in no file name: the code page lacks a character of this
        // one, and only its short name opens it.
        const bool lossy = std::strchr(found.cFileName, '?') != nullptr && found.cAlternateFileName[0] != 0;
        entries->push_back(EntryOf(lossy ? found.cAlternateFileName : found.cFileName, found.dwFileAttributes));
    } while (::FindNextFileA(find.Get(), &found));
    return true;
}

// The same entries in the same order as FindFirstFile gives them (both read
// the folder through NtQueryDirectoryFile), with each child's file index.
bool WindowsMachine::ListWholeFolder(const std::string& folder, std::vector<FolderEntry>* entries) {
    static const GetFileInformationByHandleExFunction getInformation = FindGetFileInformationByHandleEx();
    if (!getInformation) return false;
    ScopedHandle handle(::CreateFileA(folder.c_str(), FILE_LIST_DIRECTORY | SYNCHRONIZE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!handle.IsValid()) return false;
    std::vector<uint64_t> buffer(kDirectoryBufferBytes / sizeof(uint64_t));  // entries are 8-byte aligned
    const char* bytes = reinterpret_cast<const char*>(buffer.data());
    while (getInformation(handle.Get(), kFileIdBothDirectoryInfo, buffer.data(), kDirectoryBufferBytes)) {
        for (size_t offset = 0;;) {
            FileIdBothDirectoryEntry information;
            if (offset + offsetof(FileIdBothDirectoryEntry, fileName) > kDirectoryBufferBytes) return false;
            std::memcpy(&information, bytes + offset, offsetof(FileIdBothDirectoryEntry, fileName));
            const size_t nameAt = offset + offsetof(FileIdBothDirectoryEntry, fileName);
            if (nameAt + information.fileNameLength > kDirectoryBufferBytes) return false;
            std::wstring name(information.fileNameLength / 2, L'\0');
            std::memcpy(&name[0], bytes + nameAt, name.size() * 2);
            FolderEntry entry = EntryOf(AnsiName(name, information), information.fileAttributes);
            const uint64_t index = static_cast<uint64_t>(information.fileId.QuadPart);
            if (entry.isFolder && !entry.isReparsePoint && index != 0 && index != ~uint64_t{0} &&
                !IsFixedDriveRootIndex(index)) {
                entry.fileIndex = index;
            }
            entries->push_back(std::move(entry));
            if (information.nextEntryOffset == 0) break;
            offset += information.nextEntryOffset;
        }
    }
    return ::GetLastError() == ERROR_NO_MORE_FILES && !entries->empty();
}

// Wine gives a folder the volume serial of the nearest drive whose root it
// is or lies in, so a drive mapped to a folder of another drive makes that
// folder count as another volume: such a folder is identified on its own.
bool WindowsMachine::IsFixedDriveRootIndex(uint64_t index) {
    if (!driveRootsRead_) {
        driveRootsRead_ = true;
        for (char letter = 'A'; letter <= 'Z'; ++letter) {
            const std::string root = std::string(1, letter) + ":\\";
            FolderIdentity identity;
            if (IsFixedDrive(root) && IdentifyFolder(root, &identity)) driveRootIndexes_.push_back(identity.index);
        }
    }
    return std::find(driveRootIndexes_.begin(), driveRootIndexes_.end(), index) != driveRootIndexes_.end();
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
    std::vector<wchar_t> buffer(kPathBufferBytes);
    const DWORD length = ::GetEnvironmentVariableW(L"PATH", buffer.data(), kPathBufferBytes);
    // Too long: the result is the size needed, which is more than we have.
    if (length == 0 || length >= kPathBufferBytes) return std::string();
    return AnsiPathList(std::wstring(buffer.data(), length));
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
