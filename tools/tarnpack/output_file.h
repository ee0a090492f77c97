// The packer's output. It is written beside its final name and renamed into
// place only when complete, so a refusal or a failed write never leaves a
// partial setup executable or archive where the user expects a good one.
#pragma once

#include <cstdio>
#include <string>

#include "byte_sink.h"

namespace tarnpack {

class OutputFile final : public ByteSink {
  public:
    // Throws PackError when the temporary file cannot be created.
    explicit OutputFile(const std::string& target);
    // Removes the temporary file unless Commit succeeded.
    ~OutputFile() override;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    using ByteSink::Write;
    void Write(const uint8_t* data, size_t size) override;
    // Closes the file and moves it to the target name, replacing a file there.
    void Commit();

    uint64_t written() const { return written_; }

  private:
    void Discard();

    std::string target_;
    std::string temporary_;
    std::FILE* file_ = nullptr;
    uint64_t written_ = 0;
};

// The name of the temporary file for `target`.
std::string TemporaryNameFor(const std::string& target);

}  // namespace tarnpack
