// Writing a package item into the run's folder, and the owner of such a file
// for the rest of the run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "base/byte_source.h"
#include "base/log_sink.h"
#include "base/texts.h"
#include "base/win32/cancel_event.h"
#include "base/win32/scoped_handle.h"

namespace tarnwick {

enum class WriteOutcome { Written, NotCreated, ShortWrite, ReadFailed, Cancelled };

// A file this run extracts: where it is, the handle that holds it, and
// whether this run made it (only then is it deleted at the end). Not
// copyable; movable.
class ExtractedFile {
  public:
    ExtractedFile() = default;
    ExtractedFile(const ExtractedFile&) = delete;
    ExtractedFile& operator=(const ExtractedFile&) = delete;
    ExtractedFile(ExtractedFile&&) = default;
    ExtractedFile& operator=(ExtractedFile&&) = default;

    // Copies `size` bytes of `source`, from where it stands, to `path`: read
    // in pieces of 64 KiB (nothing is held whole in memory) and written in
    // writes of at most `writeSize` bytes, looking at `cancel` before each.
    //
    // The file must be one this run made: whatever has the name is deleted
    // first (a planted link goes, it is never written through) and the file
    // is created new, failing if something appeared in between. From its
    // creation it is this run's and held open, sharing read access only, so
    // nobody can change or replace it while the launcher and its JVMs read
    // it. A cancelled write or a failed read leaves it this run's, to be
    // deleted; after a short write it is closed and the partial file stays.
    WriteOutcome Write(const std::string& path, ByteSource& source, uint64_t size, uint32_t writeSize,
                       const CancelEvent* cancel);

    // Windows starts no program that is open for writing, so before a
    // written file is run, its handle is traded for one that reads only and
    // still lets nobody write or delete. The bytes are compared once that
    // handle holds the file: whatever could slip in between cannot run. They
    // are compared with `original` (read from where it stands, `size`
    // bytes) piece by piece. False (and the file no longer this run's) when
    // it cannot be held or is not what was written.
    bool HoldForRunning(ByteSource& original, uint64_t size);

    // Closes the file and, when this run made it and it is still there,
    // deletes it (traced as "Deleting file"). A file a running installer
    // still holds stays.
    void Delete(LogSink& log, const TextSource& texts);

    const std::string& path() const { return path_; }
    bool ours() const { return ours_; }
    bool held() const { return handle_.IsValid(); }

  private:
    std::string path_;
    ScopedHandle handle_;
    bool ours_ = false;
};

}  // namespace tarnwick
