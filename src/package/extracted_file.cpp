#include "package/extracted_file.h"

#include <algorithm>

namespace tarnwick {

WriteOutcome WriteExtractedFile(const std::string& path, const uint8_t* data, size_t size,
                                size_t chunkSize, ScopedHandle* held) {
    ::DeleteFileA(path.c_str());
    // Read access too: this handle is the one kept open until Teardown. It
    // shares reading only, from the first byte on, so there is no moment in
    // which another program could open the file for writing.
    ScopedHandle file(::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                    nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid()) return WriteOutcome::NotCreated;

    size_t done = 0;
    while (done < size) {
        const DWORD chunk = static_cast<DWORD>(std::min(chunkSize, size - done));
        DWORD written = 0;
        if (!::WriteFile(file.Get(), data + done, chunk, &written, nullptr) || written != chunk) {
            return WriteOutcome::ShortWrite;
        }
        done += chunk;
    }
    *held = std::move(file);
    return WriteOutcome::Written;
}

}  // namespace tarnwick
