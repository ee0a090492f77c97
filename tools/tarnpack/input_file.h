// The packer's input files, opened through the launcher's SourceOpener (host
// files in the tool, memory files in tests). A file is measured when the
// output is planned and copied when it is written, never held whole in memory.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/byte_source.h"
#include "byte_sink.h"

namespace tarnpack {

struct InputFile {
    std::string path;
    uint64_t size = 0;
};

// Throws PackError when the file cannot be opened or measured.
InputFile MeasureInput(tarnwick::SourceOpener& files, const std::string& path);

// The first `count` bytes, or all of them when the file is shorter.
std::vector<uint8_t> ReadHead(tarnwick::SourceOpener& files, const InputFile& input, uint32_t count);

// Copies exactly input.size bytes; throws PackError when the file has
// changed under the packer and they are not all there.
void CopyInput(tarnwick::SourceOpener& files, const InputFile& input, ByteSink& sink);

// The file name: what follows the last '/' or '\', on every host.
std::string BaseName(const std::string& path);

}  // namespace tarnpack
