#include "tests/host/tarnpack_test_support.h"

#include <stdlib.h>

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace tarnpack::test {
namespace {

void PutLittle16(std::vector<uint8_t>& out, size_t at, uint32_t value) {
    out[at] = static_cast<uint8_t>(value);
    out[at + 1] = static_cast<uint8_t>(value >> 8);
}

void PutLittle32(std::vector<uint8_t>& out, size_t at, uint32_t value) {
    PutLittle16(out, at, value & 0xFFFF);
    PutLittle16(out, at + 2, value >> 16);
}

void PutConstant(std::vector<uint8_t>& out, uint8_t tag, std::vector<uint8_t> body) {
    out.push_back(tag);
    out.insert(out.end(), body.begin(), body.end());
}

}  // namespace

ScratchFolder::ScratchFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tarnpack-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot make a scratch folder");
    root_ = pattern;
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
}

std::string ScratchFolder::Write(const std::string& name, const std::vector<uint8_t>& bytes) const {
    const std::string path = Path(name);
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
    return path;
}

std::string ScratchFolder::Write(const std::string& name, const std::string& text) const {
    return Write(name, std::vector<uint8_t>(text.begin(), text.end()));
}

std::string ScratchFolder::WriteSparse(const std::string& name, const std::vector<uint8_t>& head,
                                       uint64_t size) const {
    const std::string path = Write(name, head);
    std::filesystem::resize_file(path, size);
    return path;
}

std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool Exists(const std::string& path) {
    return std::filesystem::exists(path);
}

std::vector<uint8_t> Pattern(size_t size, uint32_t seed) {
    std::vector<uint8_t> bytes(size);
    uint32_t state = seed * 2654435761u + 1;
    for (uint8_t& byte : bytes) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<uint8_t>(state >> 16);
    }
    return bytes;
}

std::vector<uint8_t> LauncherImage(uint32_t firstRawData, const std::vector<uint32_t>& rawSizes) {
    constexpr size_t kPeOffset = 0x80;
    constexpr uint32_t kOptionalHeaderSize = 0xE0;
    uint32_t imageSize = firstRawData;
    for (uint32_t size : rawSizes) imageSize += size;
    std::vector<uint8_t> image(imageSize, 0);
    image[0] = 'M';
    image[1] = 'Z';
    PutLittle32(image, 0x3C, kPeOffset);
    image[kPeOffset] = 'P';
    image[kPeOffset + 1] = 'E';
    const size_t coff = kPeOffset + 4;
    PutLittle16(image, coff, 0x14C);  // i386
    PutLittle16(image, coff + 2, static_cast<uint32_t>(rawSizes.size()));
    PutLittle16(image, coff + 16, kOptionalHeaderSize);
    size_t header = coff + 20 + kOptionalHeaderSize;
    uint32_t pointer = firstRawData;
    for (uint32_t size : rawSizes) {
        PutLittle32(image, header + 16, size);
        PutLittle32(image, header + 20, pointer);
        pointer += size;
        header += 40;
    }
    return image;
}

void Put16(std::vector<uint8_t>& out, uint32_t value) {
    out.push_back(static_cast<uint8_t>(value >> 8));
    out.push_back(static_cast<uint8_t>(value));
}

void Put32(std::vector<uint8_t>& out, uint32_t value) {
    Put16(out, value >> 16);
    Put16(out, value & 0xFFFF);
}

void PutText(std::vector<uint8_t>& out, const std::string& text) {
    Put16(out, static_cast<uint32_t>(text.size()));
    out.insert(out.end(), text.begin(), text.end());
}

std::vector<uint8_t> MinimalClass(const std::string& name) {
    std::vector<uint8_t> out = {0xCA, 0xFE, 0xBA, 0xBE, 0, 0, 0, 52};
    Put16(out, 5);  // four constants
    PutConstant(out, 7, {0, 2});
    out.push_back(1);
    PutText(out, name);
    PutConstant(out, 7, {0, 4});
    out.push_back(1);
    PutText(out, "java/lang/Object");
    Put16(out, 0x21);  // public super
    Put16(out, 1);
    Put16(out, 3);
    Put16(out, 0);  // interfaces
    Put16(out, 0);  // fields
    Put16(out, 0);  // methods
    Put16(out, 0);  // attributes
    return out;
}

std::vector<uint8_t> RichClass() {
    std::vector<uint8_t> out = {0xCA, 0xFE, 0xBA, 0xBE, 0, 0, 0, 52};
    std::vector<uint8_t> pool;
    auto utf8 = [&pool](const std::string& text) {
        pool.push_back(1);
        PutText(pool, text);
    };
    utf8("Rich");                                                         // 1
    PutConstant(pool, 7, {0, 1});                                         // 2 Class Rich
    utf8("java/lang/Object");                                             // 3
    PutConstant(pool, 7, {0, 3});                                         // 4 Class Object
    PutConstant(pool, 5, {0, 0, 0, 0, 0, 0, 0, 9});                       // 5-6 Long
    PutConstant(pool, 6, {0x40, 9, 0x21, 0xFB, 0x54, 0x44, 0x2D, 0x18});  // 7-8 Double
    PutConstant(pool, 3, {0, 0, 0, 7});                                   // 9 Integer
    PutConstant(pool, 4, {0x3F, 0x80, 0, 0});                             // 10 Float
    PutConstant(pool, 8, {0, 1});                                         // 11 String
    utf8("x");                                                            // 12
    utf8("J");                                                            // 13
    PutConstant(pool, 12, {0, 12, 0, 13});                                // 14 NameAndType
    PutConstant(pool, 9, {0, 2, 0, 14});                                  // 15 Fieldref
    PutConstant(pool, 10, {0, 2, 0, 14});                                 // 16 Methodref
    PutConstant(pool, 11, {0, 2, 0, 14});                                 // 17 InterfaceMethodref
    PutConstant(pool, 15, {1, 0, 15});                                    // 18 MethodHandle
    PutConstant(pool, 16, {0, 13});                                       // 19 MethodType
    PutConstant(pool, 17, {0, 0, 0, 14});                                 // 20 Dynamic
    PutConstant(pool, 18, {0, 0, 0, 14});                                 // 21 InvokeDynamic
    PutConstant(pool, 19, {0, 1});                                        // 22 Module
    PutConstant(pool, 20, {0, 1});                                        // 23 Package
    utf8("Code");                                                         // 24
    utf8("SourceFile");                                                   // 25
    utf8("java/lang/Runnable");                                           // 26
    PutConstant(pool, 7, {0, 26});                                        // 27 Class Runnable
    Put16(out, 28);
    out.insert(out.end(), pool.begin(), pool.end());
    Put16(out, 0x21);
    Put16(out, 2);
    Put16(out, 4);
    Put16(out, 1);  // one interface
    Put16(out, 27);
    Put16(out, 1);  // one field with one attribute
    Put16(out, 0x2);
    Put16(out, 12);
    Put16(out, 13);
    Put16(out, 1);
    Put16(out, 24);
    Put32(out, 3);
    out.insert(out.end(), {1, 2, 3});
    Put16(out, 2);  // two methods, the second with two attributes
    for (int method = 0; method < 2; ++method) {
        Put16(out, 0x1);
        Put16(out, 12);
        Put16(out, 13);
        Put16(out, static_cast<uint32_t>(method + 1));
        for (int attribute = 0; attribute <= method; ++attribute) {
            Put16(out, 24);
            Put32(out, 5);
            out.insert(out.end(), {9, 8, 7, 6, 5});
        }
    }
    Put16(out, 1);  // class attribute SourceFile
    Put16(out, 25);
    Put32(out, 2);
    Put16(out, 1);
    return out;
}

std::vector<uint8_t> ClassLike(size_t size, uint32_t seed) {
    std::vector<uint8_t> bytes = Pattern(size, seed);
    const uint8_t magic[] = {0xCA, 0xFE, 0xBA, 0xBE};
    for (size_t i = 0; i < 4 && i < size; ++i) bytes[i] = magic[i];
    return bytes;
}

}  // namespace tarnpack::test
