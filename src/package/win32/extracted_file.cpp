#include "package/win32/extracted_file.h"

#include <algorithm>
#include <cstring>

namespace tarnwick {

WriteOutcome WriteExtractedFile(const std::string& path, const uint8_t* data, size_t size,
                                size_t chunkSize, ScopedHandle* held) {
    ::DeleteFileA(path.c_str());
    // Read access too: this handle is the one kept open until Teardown. It
    // shares reading only, from the first byte on, so there is no moment in
    // which another program could open the file for writing. It is the
    // caller's from the start, so that an aborted run, which stops this
    // thread wherever it is, can still close and delete a half-written file.
    *held = ScopedHandle(::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                       nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!held->IsValid()) return WriteOutcome::NotCreated;

    size_t done = 0;
    while (done < size) {
        const DWORD chunk = static_cast<DWORD>(std::min(chunkSize, size - done));
        DWORD written = 0;
        if (!::WriteFile(held->Get(), data + done, chunk, &written, nullptr) || written != chunk) {
            held->Close();
            return WriteOutcome::ShortWrite;
        }
        done += chunk;
    }
    return WriteOutcome::Written;
}

bool HoldForRunning(const std::string& path, const std::vector<uint8_t>& written, ScopedHandle* held) {
    held->Close();
    ScopedHandle reader(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!reader.IsValid()) return false;
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(reader.Get(), &size) || static_cast<uint64_t>(size.QuadPart) != written.size()) {
        return false;
    }
    // Compared piece by piece: a second buffer as large as the installer
    // may not fit a 32-bit process beside the first.
    uint8_t piece[16 * 1024];
    for (size_t done = 0; done < written.size();) {
        const DWORD want = static_cast<DWORD>(std::min(sizeof piece, written.size() - done));
        DWORD read = 0;
        if (!::ReadFile(reader.Get(), piece, want, &read, nullptr) || read != want ||
            std::memcmp(piece, written.data() + done, want) != 0) {
            return false;
        }
        done += want;
    }
    *held = std::move(reader);
    return true;
}

}  // namespace tarnwick
