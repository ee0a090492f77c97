#include "package/win32/extracted_file.h"

#include <algorithm>
#include <cstring>

#include "base/log_sink.h"
#include "base/win32/file_exists.h"
#include "resources/resource_ids.h"

namespace tarnwick {
namespace {

// Pieces read at once: large enough that reading costs no more than a plain
// copy's, small enough for the stack of any thread.
constexpr uint32_t kPieceSize = 64 * 1024;

}  // namespace

WriteOutcome ExtractedFile::Write(const std::string& path, ByteSource& source, uint64_t size, uint32_t writeSize,
                                  const CancelEvent* cancel) {
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

    uint8_t piece[kPieceSize];
    for (uint64_t done = 0; done < size;) {
        const DWORD length = static_cast<DWORD>(std::min<uint64_t>(kPieceSize, size - done));
        if (!source.Read(piece, length)) return WriteOutcome::ReadFailed;
        for (DWORD at = 0; at < length;) {
            if (IsCancelled(cancel)) return WriteOutcome::Cancelled;
            const DWORD part = std::min<DWORD>(std::max<uint32_t>(writeSize, 1), length - at);
            DWORD written = 0;
            if (!::WriteFile(handle_.Get(), piece + at, part, &written, nullptr) || written != part) {
                handle_.Close();
                ours_ = false;
                return WriteOutcome::ShortWrite;
            }
            at += part;
        }
        done += length;
    }
    return WriteOutcome::Written;
}

bool ExtractedFile::HoldForRunning(ByteSource& original, uint64_t size) {
    handle_.Close();
    ours_ = false;
    ScopedHandle reader(::CreateFileA(path_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!reader.IsValid()) return false;
    LARGE_INTEGER held;
    if (!::GetFileSizeEx(reader.Get(), &held) || static_cast<uint64_t>(held.QuadPart) != size) return false;
    // Both read piece by piece: an installer may be larger than what a
    // 32-bit process can hold.
    uint8_t mine[kPieceSize / 2], theirs[kPieceSize / 2];
    for (uint64_t done = 0; done < size;) {
        const DWORD want = static_cast<DWORD>(std::min<uint64_t>(sizeof mine, size - done));
        DWORD read = 0;
        if (!::ReadFile(reader.Get(), mine, want, &read, nullptr) || read != want || !original.Read(theirs, want) ||
            std::memcmp(mine, theirs, want) != 0) {
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
