#include "input_file.h"

#include <algorithm>
#include <memory>

#include "pack_error.h"

namespace tarnpack {
namespace {

std::unique_ptr<tarnwick::ByteSource> OpenInput(tarnwick::SourceOpener& files, const std::string& path) {
    std::unique_ptr<tarnwick::ByteSource> file = files.Open(path);
    if (!file) throw PackError("cannot open " + path);
    return file;
}

PackError ReadFailure(const InputFile& input) {
    return PackError("cannot read " + input.path + " (did it change while packing?)");
}

}  // namespace

InputFile MeasureInput(tarnwick::SourceOpener& files, const std::string& path) {
    InputFile input{path, 0};
    if (!OpenInput(files, path)->Size(&input.size)) throw PackError("cannot get the size of " + path);
    return input;
}

std::vector<uint8_t> ReadHead(tarnwick::SourceOpener& files, const InputFile& input, uint32_t count) {
    std::vector<uint8_t> head(static_cast<size_t>(std::min<uint64_t>(count, input.size)));
    std::unique_ptr<tarnwick::ByteSource> file = OpenInput(files, input.path);
    if (!file->Read(head.data(), static_cast<uint32_t>(head.size()))) throw ReadFailure(input);
    return head;
}

void CopyInput(tarnwick::SourceOpener& files, const InputFile& input, ByteSink& sink) {
    constexpr uint32_t kChunk = 1 << 20;
    std::unique_ptr<tarnwick::ByteSource> file = OpenInput(files, input.path);
    std::vector<uint8_t> buffer(static_cast<size_t>(std::min<uint64_t>(kChunk, input.size)));
    for (uint64_t left = input.size; left != 0;) {
        const uint32_t piece = static_cast<uint32_t>(std::min<uint64_t>(left, kChunk));
        if (!file->Read(buffer.data(), piece)) throw ReadFailure(input);
        sink.Write(buffer.data(), piece);
        left -= piece;
    }
}

std::string BaseName(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace tarnpack
