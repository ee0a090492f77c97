// Test inputs made from scratch: big-endian fields, PE images and class
// files; a log that keeps its lines; a scratch folder for the packer's files.
#pragma once

#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "base/log_sink.h"

namespace tarnwick::test {

class Bytes {
  public:
    Bytes& u8(uint8_t v) { data_.push_back(v); return *this; }
    Bytes& u16(uint16_t v) { return u8(uint8_t(v >> 8)).u8(uint8_t(v)); }
    Bytes& u32(uint32_t v) { return u16(uint16_t(v >> 16)).u16(uint16_t(v)); }
    Bytes& u64(uint64_t v) { return u32(uint32_t(v >> 32)).u32(uint32_t(v)); }
    Bytes& le16(uint16_t v) { return u8(uint8_t(v)).u8(uint8_t(v >> 8)); }
    Bytes& le32(uint32_t v) { return le16(uint16_t(v)).le16(uint16_t(v >> 16)); }
    Bytes& text(std::string_view s) { data_.insert(data_.end(), s.begin(), s.end()); return *this; }
    Bytes& counted(std::string_view s) { return u16(uint16_t(s.size())).text(s); }
    Bytes& fill(size_t n, uint8_t v = 0) { data_.insert(data_.end(), n, v); return *this; }
    Bytes& padTo(size_t n) { return data_.size() < n ? fill(n - data_.size()) : *this; }
    Bytes& append(const std::vector<uint8_t>& more) {
        data_.insert(data_.end(), more.begin(), more.end());
        return *this;
    }
    Bytes& set(size_t at, uint8_t v) { data_.at(at) = v; return *this; }
    Bytes& cut(size_t n) { data_.resize(n); return *this; }
    size_t size() const { return data_.size(); }
    const std::vector<uint8_t>& get() const { return data_; }
    operator const std::vector<uint8_t>&() const { return data_; }

  private:
    std::vector<uint8_t> data_;
};

// A PE image whose sections' raw data ends at firstRawData + sum(rawSizes):
// the place where a package begins. Padded to that size.
inline Bytes PeImage(uint32_t firstRawData = 0x400, const std::vector<uint32_t>& rawSizes = {0x200}) {
    Bytes pe;
    pe.text("MZ").padTo(0x3C).le32(0x40).text(std::string("PE\0\0", 4));
    // COFF header: machine, section count, ..., optional header size 0xE0.
    pe.le16(0x14C).le16(uint16_t(rawSizes.size())).fill(12).le16(0xE0).le16(0x102).fill(0xE0);
    uint32_t pointer = firstRawData;
    for (uint32_t size : rawSizes) {
        pe.text(std::string_view(".sect\0\0\0", 8)).fill(8).le32(size).le32(pointer).fill(16);
        pointer += size;
    }
    return pe.padTo(pointer);
}

inline std::vector<uint8_t> Hex(const std::string& hex) {
    std::vector<uint8_t> out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) out.push_back(uint8_t(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return out;
}

// Bytes from a spec of blank-separated tokens: "pe" (a PE image whose raw
// sections end at 0x600) or "pe:SIZE,..." (raw sections from 0x400);
// "u8:N" .. "u64:N" big-endian; "c:text" counted; "t:text"; "x:HEX";
// "fill:N:V"; and on what is there so far "set:AT:V" and "cut:N".
inline std::vector<uint8_t> Build(const std::string& spec) {
    Bytes b;
    std::istringstream tokens(spec);
    for (std::string token; tokens >> token;) {
        const std::string kind = token.substr(0, token.find(':')), value = token.substr(kind.size() + (kind != token));
        const auto n = [&value](int field) {
            return std::stoull(value.substr(field ? value.find(':') + 1 : 0), nullptr, 0);
        };
        if (kind == "pe") {
            std::vector<uint32_t> sizes;
            std::istringstream list(std::regex_replace(value, std::regex(","), " "));
            for (std::string size; list >> size;) sizes.push_back(uint32_t(std::stoul(size, nullptr, 0)));
            b.append(sizes.empty() ? PeImage() : PeImage(0x400, sizes));
        }
        if (kind == "u8") b.u8(uint8_t(n(0)));
        if (kind == "u16") b.u16(uint16_t(n(0)));
        if (kind == "u32") b.u32(uint32_t(n(0)));
        if (kind == "u64") b.u64(n(0));
        if (kind == "c") b.counted(value);
        if (kind == "t") b.text(value);
        if (kind == "x") b.append(Hex(value));
        if (kind == "fill") b.fill(n(0), uint8_t(n(1)));
        if (kind == "set") b.set(n(0), uint8_t(n(1)));
        if (kind == "cut") b.cut(n(0));
    }
    return b.get();
}

// A class `name` extending Object, with no members.
inline std::vector<uint8_t> MinimalClass(const std::string& name) {
    return Build("x:CAFEBABE u32:52 u16:5 u8:7 u16:2 u8:1 c:" + name +
                 " u8:7 u16:4 u8:1 c:java/lang/Object u16:0x21 u16:1 u16:3 fill:8:0");
}

// The class in cases/rich_class.txt, with every kind of constant and member.
inline std::vector<uint8_t> RichClass() {
    std::ifstream in(std::string(__FILE__).substr(0, std::string(__FILE__).rfind('/')) + "/cases/rich_class.txt");
    std::string spec;
    for (std::string line; std::getline(in, line);) spec += line[0] == '#' ? "" : line + " ";
    return Build(spec);
}

// `size` bytes of a fixed pattern, different for each seed.
inline std::vector<uint8_t> Pattern(size_t size, uint32_t seed) {
    std::vector<uint8_t> bytes(size);
    uint32_t state = seed * 2654435761u + 1;
    for (uint8_t& byte : bytes) byte = uint8_t((state = state * 1103515245u + 12345u) >> 16);
    return bytes;
}

class MemoryLog final : public LogSink {
  public:
    bool IsOpen() const override { return true; }
    void WriteLine(std::string_view line) override { text.append(line); }
    std::string text;
};

// A fresh folder below the system's temporary folder, removed at the end.
class ScratchFolder {
  public:
    ScratchFolder() : root_(mkdtemp(tmpl_.data()) ? tmpl_ : throw std::runtime_error("cannot make " + tmpl_)) {}
    ~ScratchFolder() { std::filesystem::remove_all(root_); }
    std::string Path(const std::string& name) const { return root_ + "/" + name; }
    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) const {
        std::ofstream(Path(name), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return Path(name);
    }

  private:
    std::string tmpl_ = std::filesystem::temp_directory_path().string() + "/tarnwick-test-XXXXXX", root_;
};

inline std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace tarnwick::test
