// Test inputs made from scratch: bytes from a recipe (PE images, packages,
// class files); a log that keeps its lines; a scratch folder for files.
#pragma once

#include <stdlib.h>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>
#include "base/log_sink.h"

namespace tarnwick::test {

using Data = std::vector<uint8_t>;
inline Data PeImage(uint32_t firstRawData = 0x400, std::vector<uint32_t> rawSizes = {0x200});

// Bytes from a recipe of blank-separated tokens: "pe" (a PE image whose raw
// sections end at 0x600) or "pe:SIZE,..." (raw sections from 0x400);
// "u8:N" .. "u64:N" big-endian, "le16:N" "le32:N" little-endian; "c:text"
// counted; "t:text"; "x:HEX"; "fill:N:V"; and on what is there so far
// "set:AT:V", "cut:N", "to:N" (zeros up to size N) and "rep:N:K" (the last
// K bytes N times more).
inline Data Build(const std::string& recipe) {
    static const std::regex integer("u(8|16|32|64)|le(16|32)");
    Data b;
    std::istringstream tokens(recipe);
    for (std::string token; tokens >> token;) {
        const size_t colon = token.find(':');
        const std::string kind = token.substr(0, colon), value = colon == token.npos ? "" : token.substr(colon + 1);
        const auto n = [&value](bool second) {
            return std::stoull(value.substr(second ? value.find(':') + 1 : 0), nullptr, 0);
        };
        const bool little = kind[0] == 'l';
        Data more;
        if (kind == "pe") {
            std::vector<uint32_t> sizes;
            std::istringstream list(value);
            for (std::string size; std::getline(list, size, ',');) sizes.push_back(uint32_t(std::stoul(size, {}, 0)));
            more = sizes.empty() ? PeImage() : PeImage(0x400, sizes);
        } else if (std::regex_match(kind, integer)) {
            for (int size = std::stoi(kind.substr(little ? 2 : 1)) / 8, i = 0; i < size; ++i)
                b.push_back(uint8_t(n(false) >> 8 * (little ? i : size - 1 - i)));
        } else if (kind == "c" || kind == "t") {
            if (kind == "c") b.push_back(uint8_t(value.size() >> 8)), b.push_back(uint8_t(value.size()));
            more.assign(value.begin(), value.end());
        } else if (kind == "x") {
            for (size_t i = 0; i + 1 < value.size(); i += 2)
                more.push_back(uint8_t(std::stoi(value.substr(i, 2), nullptr, 16)));
        } else if (kind == "fill" || kind == "set") {
            kind == "set" ? void(b.at(n(false)) = uint8_t(n(true))) : more.assign(n(false), uint8_t(n(true)));
        } else if (kind == "rep") {
            for (uint64_t i = 0; i < n(false); ++i) more.insert(more.end(), b.end() - long(n(true)), b.end());
        } else if (kind == "cut" || kind == "to") {
            if (kind == "cut" || b.size() < n(false)) b.resize(n(false));
        } else {
            throw std::invalid_argument("unknown byte recipe token " + token);
        }
        b.insert(b.end(), more.begin(), more.end());
    }
    return b;
}

// A PE image whose sections' raw data ends at firstRawData + sum(rawSizes):
// the place where a package begins. Padded to that size.
inline Data PeImage(uint32_t firstRawData, std::vector<uint32_t> rawSizes) {
    // COFF header: machine, section count, ..., optional header size 0xE0.
    std::string recipe = "t:MZ to:0x3C le32:0x40 t:PE u16:0 le16:0x14C le16:" + std::to_string(rawSizes.size()) +
                       " fill:12:0 le16:0xE0 le16:0x102 fill:0xE0:0";
    for (uint32_t size : rawSizes) {  // name, 8 unused bytes, raw size and pointer, 16 unused
        recipe += " t:.sect fill:11:0 le32:" + std::to_string(size) + " le32:" + std::to_string(firstRawData);
        recipe += " fill:16:0", firstRawData += size;
    }
    return Build(recipe + " to:" + std::to_string(firstRawData));
}

// The class in cases/rich_class.txt, with every kind of constant and member.
inline Data RichClass() {
    std::ifstream in(std::string(__FILE__).substr(0, std::string(__FILE__).rfind('/')) + "/cases/rich_class.txt");
    std::string recipe;
    for (std::string line; std::getline(in, line);) recipe += line[0] == '#' ? "" : line + " ";
    return Build(recipe);
}

struct MemoryLog final : LogSink {
    bool IsOpen() const override { return true; }
    void WriteLine(std::string_view line) override { text.append(line); }
    std::string text;
};

// A fresh folder below the system's temporary folder, removed at the end.
struct ScratchFolder {
    std::string root = std::filesystem::temp_directory_path().string() + "/tarnwick-test-XXXXXX";
    ScratchFolder() { if (!mkdtemp(root.data())) throw std::runtime_error("cannot make " + root); }
    ~ScratchFolder() { std::filesystem::remove_all(root); }
    std::string Path(const std::string& name) const { return root + "/" + name; }
    std::string Write(const std::string& name, const Data& bytes) const {
        std::ofstream(Path(name), std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        return Path(name);
    }
};

inline Data ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    Data bytes(in ? size_t(in.tellg()) : 0);
    in.seekg(0).read(reinterpret_cast<char*>(bytes.data()), std::streamsize(bytes.size()));
    return bytes;
}

}  // namespace tarnwick::test
