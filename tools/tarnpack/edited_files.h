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

}  // namespace tarnpack
