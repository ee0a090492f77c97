#include "host_process.h"

#include <windows.h>

#include "base/win32/scoped_handle.h"
#include "bridge_settings.h"
#include "utf8_text.h"

namespace tarnwick {
namespace {

// The host's shell as Wine names a host path that lies on no drive: no
// drive letter has to show the host's root for this.
const wchar_t kHostShell[] = L"\\\\?\\unix\\bin\\sh";
// How long the bridge sleeps when java has printed nothing new.
const DWORD kPollMilliseconds = 10;

// Shared for writing and deleting: the host's shell writes them meanwhile.
ScopedHandle OpenShared(const std::wstring& path, DWORD disposition) {
    return ScopedHandle(::CreateFileW(path.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
}

// Copies what has been added to `from` since the last call to `to`, or to
// `collected` when that is given; true when there was something. Writes
// that fail (nobody reads) are dropped.
bool Relay(const ScopedHandle& from, DWORD to, std::string* collected) {
    char buffer[64 * 1024];
    DWORD read = 0;
    if (!from.IsValid() || !::ReadFile(from.Get(), buffer, sizeof buffer, &read, nullptr) || read == 0)
        return false;
    if (collected != nullptr) {
        collected->append(buffer, read);
        return true;
    }
    HANDLE target = ::GetStdHandle(to);
    DWORD written = 0;
    if (target != nullptr && target != INVALID_HANDLE_VALUE)
        ::WriteFile(target, buffer, read, &written, nullptr);
    return true;
}

bool ReadStatus(const std::wstring& path, int* exitStatus) {
    ScopedHandle file = OpenShared(path, OPEN_EXISTING);
    char text[32] = {};
    DWORD read = 0;
    if (!file.IsValid() || !::ReadFile(file.Get(), text, sizeof text - 1, &read, nullptr)) return false;
    if (ParseExitStatus(std::string(text, read), exitStatus)) return true;
    ::SetLastError(ERROR_INVALID_DATA);
    return false;
}

}  // namespace

bool RunOnHost(const RunFolder& folder, const std::string& commandLine, std::string* output,
               int* exitStatus) {
    // A folder may serve several runs: the last run's status must not end this one.
    const std::wstring status = folder.File(L"status");
    if (!::DeleteFileW(status.c_str()) && ::GetLastError() != ERROR_FILE_NOT_FOUND) return false;
    // Made before the shell starts, so they can be followed from the start.
    const ScopedHandle out = OpenShared(folder.File(L"out"), CREATE_ALWAYS);
    const ScopedHandle err = OpenShared(folder.File(L"err"), CREATE_ALWAYS);
    if (!out.IsValid() || !err.IsValid()) return false;

    std::wstring line = FromUtf8(commandLine);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!::CreateProcessW(kHostShell, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process))
        return false;
    // Wine gives no handles for a host program; close them should it ever.
    ScopedKernelHandle processHandle(process.hProcess), threadHandle(process.hThread);

    for (bool ended = false;;) {
        const bool movedOut = Relay(out, STD_OUTPUT_HANDLE, output);
        const bool movedErr = Relay(err, STD_ERROR_HANDLE, nullptr);
        if (movedOut || movedErr) continue;
        // The status comes after java's last byte: one more pass reads that.
        if (ended) break;
        if (::GetFileAttributesW(status.c_str()) != INVALID_FILE_ATTRIBUTES) {
            ended = true;
        } else {
            ::Sleep(kPollMilliseconds);
        }
    }
    return ReadStatus(status, exitStatus);
}

}  // namespace tarnwick
