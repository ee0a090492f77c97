// Helpers for the packer's tests: a scratch folder, files, and the inputs
// the packer takes (a launcher image, class files) made from scratch.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "base/log_sink.h"

namespace tarnpack::test {

// The readers' trace is not under test here.
class NoLog final : public tarnwick::LogSink {
  public:
    bool IsOpen() const override { return false; }
    void WriteLine(std::string_view) override {}
};

// A fresh folder below the system's temporary folder, removed with its
// contents at the end of the test.
class ScratchFolder {
  public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    std::string Path(const std::string& name) const { return (root_ / name).string(); }
    // Writes `bytes` to `name` in the folder and returns its path.
    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) const;
    std::string Write(const std::string& name, const std::string& text) const;
    // A file of `size` bytes that starts with `head` and takes no disk space.
    std::string WriteSparse(const std::string& name, const std::vector<uint8_t>& head, uint64_t size) const;

  private:
    std::filesystem::path root_;
};

std::vector<uint8_t> ReadFile(const std::string& path);
bool Exists(const std::string& path);

// `size` bytes of a fixed pattern, different for each seed.
std::vector<uint8_t> Pattern(size_t size, uint32_t seed);

// A PE header with these raw sections, padded to the image size the
// launcher works out from it: the first pointer plus all raw sizes.
std::vector<uint8_t> LauncherImage(uint32_t firstRawData, const std::vector<uint32_t>& rawSizes);

// A class file with no members: a class `name` extending Object.
std::vector<uint8_t> MinimalClass(const std::string& name);
// A class file with every kind of constant (long and double take two
// slots), an interface, fields and methods with attributes and a class
// attribute: the structures the packer must walk.
std::vector<uint8_t> RichClass();
// Bytes that start like a class file and are `size` bytes long.
std::vector<uint8_t> ClassLike(size_t size, uint32_t seed);

// Big-endian appenders for building expected bytes independently of the packer.
void Put16(std::vector<uint8_t>& out, uint32_t value);
void Put32(std::vector<uint8_t>& out, uint32_t value);
void PutText(std::vector<uint8_t>& out, const std::string& text);  // 16-bit length, then text

}  // namespace tarnpack::test
