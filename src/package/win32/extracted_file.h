// Writing a package item into the shared temporary folder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/win32/scoped_handle.h"

namespace tarnwick {

enum class WriteOutcome { Written, NotCreated, ShortWrite };

// Writes `size` bytes to `path` in writes of at most `chunkSize` bytes.
//
// The temporary folder is shared with every other program of the user, so
// the file must be one this run made: whatever has the name is deleted first
// (a planted link goes, it is never written through) and the file is created
// new, failing if something appeared in between. `held` owns it from its
// creation and, on success, keeps it open until the end of the run, sharing
// read access only, so nobody can change or replace it while the launcher and
// its JVMs read it; after a short write it is closed and the partial file stays.
WriteOutcome WriteExtractedFile(const std::string& path, const uint8_t* data, size_t size,
                                size_t chunkSize, ScopedHandle* held);

// Windows starts no program that is open for writing, so before a written
// file is run, `held` trades its handle for one that reads only and still
// lets nobody write or delete. The bytes are compared once that handle holds
// the file: whatever could slip in between cannot run. False when the file
// cannot be held or is not what was written.
bool HoldForRunning(const std::string& path, const std::vector<uint8_t>& written, ScopedHandle* held);

}  // namespace tarnwick
