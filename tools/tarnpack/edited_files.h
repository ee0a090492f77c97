// Input files with bytes other than on disk, read without a temporary copy
// and without touching the launcher on disk.
//
// One input file read with some of its bytes replaced: the launcher with its
// settings written in, copied into the setup executable without a temporary
// copy and without touching the launcher on disk.
#pragma once

#include <string>
#include <vector>

#include "base/byte_source.h"
#include "image_settings.h"

namespace tarnpack {

class EditedFiles final : public tarnwick::SourceOpener {
  public:
    // `edits` replace bytes of `path` (none may reach past its end);
    // every other file opens as `files` opens it.
    EditedFiles(tarnwick::SourceOpener& files, std::string path, std::vector<ByteEdit> edits)
        : files_(files), path_(std::move(path)), edits_(std::move(edits)) {}

    std::unique_ptr<tarnwick::ByteSource> Open(const std::string& path) override;

  private:
    tarnwick::SourceOpener& files_;
    std::string path_;
    std::vector<ByteEdit> edits_;
};

// One input file whose bytes are all new: the launcher with an icon of the
// installer's, its resource section written anew in memory.
class ReplacedFile final : public tarnwick::SourceOpener {
  public:
    ReplacedFile(tarnwick::SourceOpener& files, std::string path, std::vector<uint8_t> bytes)
        : files_(files), path_(std::move(path)), bytes_(std::move(bytes)) {}

    std::unique_ptr<tarnwick::ByteSource> Open(const std::string& path) override;

  private:
    tarnwick::SourceOpener& files_;
    std::string path_;
    std::vector<uint8_t> bytes_;
};

}  // namespace tarnpack
