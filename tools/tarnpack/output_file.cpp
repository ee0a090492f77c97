#include "output_file.h"

#include <filesystem>
#include <system_error>

#include "pack_error.h"

namespace tarnpack {

std::string TemporaryNameFor(const std::string& target) {
    return target + ".partial";
}

OutputFile::OutputFile(const std::string& target) : target_(target), temporary_(TemporaryNameFor(target)) {
    file_ = std::fopen(temporary_.c_str(), "wb");
    if (file_ == nullptr) throw PackError("cannot create " + temporary_);
}

OutputFile::~OutputFile() {
    Discard();
}

void OutputFile::Write(const uint8_t* data, size_t size) {
    if (size != 0 && std::fwrite(data, 1, size, file_) != size) {
        throw PackError("cannot write " + temporary_ + " (disk full?)");
    }
    written_ += size;
}

void OutputFile::Commit() {
    std::FILE* file = file_;
    file_ = nullptr;
    if (std::fclose(file) != 0) {
        std::remove(temporary_.c_str());
        throw PackError("cannot write " + temporary_ + " (disk full?)");
    }
    std::error_code error;
    std::filesystem::rename(temporary_, target_, error);
    if (error) {
        std::remove(temporary_.c_str());
        throw PackError("cannot rename " + temporary_ + " to " + target_ + ": " + error.message());
    }
}

void OutputFile::Discard() {
    if (file_ == nullptr) return;
    std::fclose(file_);
    file_ = nullptr;
    std::remove(temporary_.c_str());
}

}  // namespace tarnpack
