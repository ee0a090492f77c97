// A file opened for reading as a ByteSource. Others may read and write the
// file meanwhile, as the launcher never holds its inputs locked.
#pragma once

#include <string>

#include "base/byte_source.h"
#include "base/win32/scoped_handle.h"

namespace tarnwick {

class FileSource final : public ByteSource {
  public:
    FileSource() = default;
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    // The file must exist. On failure GetLastError tells why.
    bool Open(const std::string& path);
    bool IsOpen() const { return file_.IsValid(); }

    bool Read(void* out, uint32_t size) override;
    bool Seek(uint64_t position) override;
    bool Size(uint64_t* size) override;

  private:
    ScopedHandle file_;
};

// Opens files on the Windows file system for the package readers.
class FileOpener final : public SourceOpener {
  public:
    std::unique_ptr<ByteSource> Open(const std::string& path) override;
};

}  // namespace tarnwick
