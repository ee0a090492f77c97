#include "package/win32/extracted_file.h"

#include <algorithm>
#include <cstring>

#include "base/log_sink.h"
#include "base/win32/file_exists.h"
#include "resources/resource_ids.h"

namespace tarnwick {

WriteOutcome ExtractedFile::Write(const std::string& path, const uint8_t* data, size_t size,
                                  size_t chunkSize, const CancelEvent* cancel) {
    path_ = path;
    ours_ = false;
    ::DeleteFileA(path.c_str());
    // Read access too: this handle is the one kept open until the end of the
    // run. It shares reading only, from the first byte on, so there is no
    // moment in which another program could open the file for writing.
    handle_ = ScopedHandle(::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                         nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle_.IsValid()) return WriteOutcome::NotCreated;
    ours_ = true;

    size_t done = 0;
    while (done < size) {
        if (IsCancelled(cancel)) return WriteOutcome::Cancelled;
        const DWORD chunk = static_cast<DWORD>(std::min(chunkSize, size - done));
        DWORD written = 0;
        if (!::WriteFile(handle_.Get(), data + done, chunk, &written, nullptr) || written != chunk) {
            handle_.Close();
            ours_ = false;
            return WriteOutcome::ShortWrite;
        }
        done += chunk;
    }
    return WriteOutcome::Written;
}

bool ExtractedFile::HoldForRunning(const std::vector<uint8_t>& written) {
    handle_.Close();
    ours_ = false;
    ScopedHandle reader(::CreateFileA(path_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
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
    handle_ = std::move(reader);
    ours_ = true;
    return true;
}

void ExtractedFile::Delete(LogSink& log, const TextSource& texts) {
    handle_.Close();
    if (!ours_ || !FileExists(path_)) return;
    ours_ = false;
    if (log.tracing()) WriteLogLine(log, "\r\n%s %s...\r\n", {texts.Text(IDS_DELETING_FILE), path_});
    ::DeleteFileA(path_.c_str());
}

}  // namespace tarnwick
