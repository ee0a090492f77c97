#include "base/win32/file_source.h"

namespace tarnwick {

bool FileSource::Open(const std::string& path) {
    file_.Reset(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file_.IsValid();
}

bool FileSource::Read(void* out, uint32_t size) {
    DWORD read = 0;
    if (!::ReadFile(file_.Get(), out, size, &read, nullptr)) return false;
    return read == size;
}

bool FileSource::Seek(uint64_t position) {
    LARGE_INTEGER target;
    target.QuadPart = static_cast<LONGLONG>(position);
    LARGE_INTEGER reached;
    if (!::SetFilePointerEx(file_.Get(), target, &reached, FILE_BEGIN)) return false;
    return static_cast<uint64_t>(reached.QuadPart) == position;
}

bool FileSource::Size(uint64_t* size) {
    LARGE_INTEGER value;
    if (!::GetFileSizeEx(file_.Get(), &value)) return false;
    *size = static_cast<uint64_t>(value.QuadPart);
    return true;
}

std::unique_ptr<ByteSource> FileOpener::Open(const std::string& path) {
    auto file = std::make_unique<FileSource>();
    if (!file->Open(path)) return nullptr;
    return file;
}

}  // namespace tarnwick
