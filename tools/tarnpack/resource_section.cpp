#include "resource_section.h"

#include <algorithm>
#include <map>
#include <set>
#include <tuple>

#include "base/byte_order.h"
#include "pack_error.h"

namespace tarnpack {
namespace {

using tarnwick::LittleEndian16;
using tarnwick::LittleEndian32;

constexpr uint16_t kIconType = 3;        // RT_ICON
constexpr uint16_t kIconGroupType = 14;  // RT_GROUP_ICON
constexpr uint32_t kHighBit = 0x80000000u;
constexpr size_t kSectionHeaderSize = 40;
// A launcher has a few dozen resources and a dozen sections; a directory
// naming more is damaged (or built to make the walk explode).
constexpr size_t kMaxResources = 4096;
constexpr uint32_t kMaxSections = 96;

uint64_t Align(uint64_t value, uint32_t alignment) { return (value + alignment - 1) / alignment * alignment; }

void Put16(std::vector<uint8_t>& b, size_t at, uint32_t value) {
    b[at] = static_cast<uint8_t>(value);
    b[at + 1] = static_cast<uint8_t>(value >> 8);
}

void Put32(std::vector<uint8_t>& b, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

struct Section {
    size_t header = 0;  // file offset of its 40-byte header
    uint32_t virtualSize = 0, virtualAddress = 0, rawSize = 0, rawPointer = 0;
};

// The PE headers that the rewrite reads and changes.
struct Headers {
    size_t optional = 0;     // file offset of the optional header
    size_t directories = 0;  // file offset of the data directories
    uint32_t directoryCount = 0;
    uint32_t sectionAlignment = 0, fileAlignment = 0;
    std::vector<Section> sections;

    uint32_t Directory(const std::vector<uint8_t>& b, uint32_t index, uint32_t field) const {
        return index < directoryCount ? LittleEndian32(&b[directories + 8 * index + field]) : 0;
    }
};

// One name, type or language of the directory: numbered, or named by text.
struct Key {
    bool named = false;
    uint32_t id = 0;
    std::u16string name;
    bool operator<(const Key& other) const {
        // Named entries come first, then the numbered ones in ascending order.
        return std::tie(other.named, name, id) < std::tie(named, other.name, other.id);
    }
};

struct Resource {
    uint32_t codePage = 0;
    std::vector<uint8_t> data;
};

using ResourceTree = std::map<Key, std::map<Key, std::map<Key, Resource>>>;

class Reader {
  public:
    Reader(const std::vector<uint8_t>& image, const std::string& name) : b_(image), name_(name) {}

    [[noreturn]] void Fail(const std::string& what) const { throw PackError(name_ + " " + what); }

    uint32_t U16(uint64_t at) const { return at + 2 <= b_.size() ? LittleEndian16(&b_[at]) : Damaged(); }
    uint32_t U32(uint64_t at) const { return at + 4 <= b_.size() ? LittleEndian32(&b_[at]) : Damaged(); }
    [[noreturn]] uint32_t Damaged() const { Fail("has a damaged PE header or resource directory"); }

    Headers ReadHeaders() const {
        if (U16(0) != 0x5A4D) Fail("is no PE image");  // "MZ"
        const uint64_t pe = U32(0x3C);
        if (U32(pe) != 0x00004550) Fail("is no PE image");  // "PE\0\0"
        Headers h;
        h.optional = static_cast<size_t>(pe + 24);
        const uint32_t magic = U16(h.optional);
        if (magic != 0x10B && magic != 0x20B) Fail("is no PE image");
        const size_t fixed = magic == 0x20B ? 112 : 96;
        const uint32_t optionalSize = U16(pe + 20);
        h.directories = h.optional + fixed;
        h.directoryCount = std::min<uint32_t>(U32(h.directories - 4), (optionalSize - std::min<uint32_t>(optionalSize, fixed)) / 8);
        h.sectionAlignment = U32(h.optional + 32);
        h.fileAlignment = U32(h.optional + 36);
        if (h.directoryCount < 3 || h.fileAlignment == 0 || h.sectionAlignment < h.fileAlignment ||
            (h.fileAlignment & (h.fileAlignment - 1)) != 0 || (h.sectionAlignment & (h.sectionAlignment - 1)) != 0) {
            Damaged();
        }
        U32(h.directories + 8 * h.directoryCount - 4);
        const uint32_t count = U16(pe + 6);
        if (count > kMaxSections) Damaged();
        for (uint32_t i = 0; i < count; ++i) {
            Section s;
            s.header = h.optional + optionalSize + i * kSectionHeaderSize;
            s.virtualSize = U32(s.header + 8);
            s.virtualAddress = U32(s.header + 12);
            s.rawSize = U32(s.header + 16);
            s.rawPointer = U32(s.header + 20);
            h.sections.push_back(s);
        }
        return h;
    }

    // The file offset of `size` bytes at `rva`, all inside one section's raw data.
    uint64_t FileOffset(const Headers& h, uint32_t rva, uint32_t size) const {
        for (const Section& s : h.sections) {
            if (rva < s.virtualAddress) continue;
            const uint64_t in = rva - s.virtualAddress;
            if (in + size <= s.rawSize && s.rawPointer + in + size <= b_.size()) {
                return s.rawPointer + in;
            }
        }
        Damaged();
    }

    // Type, name and language: three levels of directories, then data entries.
    ResourceTree ReadTree(const Headers& h, uint64_t root) const {
        ResourceTree tree;
        size_t count = 0;
        uint64_t bytes = 0;  // each datum once, so they fit the image
        for (const auto& [type, names] : Entries(root, root)) {
            if (!(names & kHighBit)) Damaged();
            for (const auto& [name, languages] : Entries(root, root + (names & ~kHighBit))) {
                if (!(languages & kHighBit)) Damaged();
                for (const auto& [language, entry] : Entries(root, root + (languages & ~kHighBit))) {
                    if ((entry & kHighBit) || ++count > kMaxResources) Damaged();
                    const uint32_t size = U32(root + entry + 4);
                    const uint64_t at = FileOffset(h, U32(root + entry), size);
                    if ((bytes += size) > b_.size()) Damaged();
                    Resource& resource = tree[type][name][language];
                    resource.codePage = U32(root + entry + 8);
                    resource.data.assign(b_.begin() + static_cast<ptrdiff_t>(at),
                                         b_.begin() + static_cast<ptrdiff_t>(at + size));
                }
            }
        }
        return tree;
    }

  private:
    std::vector<std::pair<Key, uint32_t>> Entries(uint64_t root, uint64_t directory) const {
        const uint32_t named = U16(directory + 12), count = named + U16(directory + 14);
        if (count > kMaxResources) Damaged();
        std::vector<std::pair<Key, uint32_t>> entries;
        for (uint32_t i = 0; i < count; ++i) {
            const uint64_t at = directory + 16 + 8 * uint64_t{i};
            const uint32_t id = U32(at);
            // Windows takes the first `named` entries as named, the rest as
            // numbered; one of the other kind there it never finds, and the
            // rewrite, which sorts by kind, would make it found.
            if (((id & kHighBit) != 0) != (i < named)) Damaged();
            Key key;
            if (id & kHighBit) {
                const uint64_t text = root + (id & ~kHighBit);
                key.named = true;
                for (uint32_t k = 0, length = U16(text); k < length; ++k) key.name += char16_t(U16(text + 2 + 2 * k));
            } else {
                key.id = id;
            }
            entries.emplace_back(std::move(key), U32(at + 4));
        }
        // Windows finds an entry by a binary search, so it sees one of two
        // equal keys, and the rewrite could keep only one: refuse them.
        std::set<Key> keys;
        for (const auto& entry : entries) {
            if (!keys.insert(entry.first).second) Damaged();
        }
        return entries;
    }

    const std::vector<uint8_t>& b_;
    const std::string& name_;
};

// Drops icon group 128 and its images and adds the new ones, numbered from
// the lowest ids no other icon uses, in the old group's language.
void SwapIcon(ResourceTree& tree, const std::vector<IconImage>& icon, const Reader& reader) {
    auto& groups = tree[Key{false, kIconGroupType, {}}];
    const auto group = groups.find(Key{false, kIconGroupId, {}});
    if (group == groups.end() || group->second.empty()) reader.Fail("has no icon group 128 to replace");
    const Key language = group->second.begin()->first;
    auto& images = tree[Key{false, kIconType, {}}];
    for (const auto& old : group->second) {
        const std::vector<uint8_t>& d = old.second.data;
        for (size_t at = 6; d.size() >= 6 && at + 14 <= d.size() && (at - 6) / 14 < LittleEndian16(&d[4]); at += 14) {
            images.erase(Key{false, LittleEndian16(&d[at + 12]), {}});
        }
    }
    Resource& newGroup = group->second.begin()->second;
    group->second.erase(std::next(group->second.begin()), group->second.end());
    newGroup.data = {0, 0, 1, 0, static_cast<uint8_t>(icon.size()), static_cast<uint8_t>(icon.size() >> 8)};
    uint32_t id = 1;
    for (const IconImage& image : icon) {
        while (images.count(Key{false, id, {}}) != 0) ++id;
        Resource& resource = images[Key{false, id, {}}][language];
        resource.codePage = newGroup.codePage;
        resource.data = image.data;
        newGroup.data.insert(newGroup.data.end(), image.entry.begin(), image.entry.end());
        newGroup.data.push_back(static_cast<uint8_t>(id));
        newGroup.data.push_back(static_cast<uint8_t>(id >> 8));
        ++id;
    }
}

// The section's bytes for resources at `rva`: every directory first (root,
// types, names), then the names' texts, the data entries and the data, each
// datum 8-byte aligned.
std::vector<uint8_t> WriteTree(const ResourceTree& tree, uint32_t rva) {
    size_t directories = 16 + 8 * tree.size(), texts = 0, resources = 0;
    auto text = [&texts](const Key& key) { texts += key.named ? 2 + 2 * key.name.size() : 0; };
    for (const auto& [type, names] : tree) {
        text(type);
        directories += 16 + 8 * names.size();
        for (const auto& [name, languages] : names) {
            directories += 16 + 8 * languages.size();
            text(name);
            for (const auto& language : languages) text(language.first), ++resources;
        }
    }
    size_t textAt = directories, entryAt = Align(directories + texts, 4);
    std::vector<uint8_t> out(entryAt + 16 * resources);
    size_t nextDirectory = 16 + 8 * tree.size();
    auto entry = [&](size_t at, const Key& key, uint32_t target) {
        if (key.named) {
            Put32(out, at, kHighBit | static_cast<uint32_t>(textAt));
            Put16(out, textAt, static_cast<uint32_t>(key.name.size()));
            for (size_t k = 0; k < key.name.size(); ++k) Put16(out, textAt + 2 + 2 * k, key.name[k]);
            textAt += 2 + 2 * key.name.size();
        } else {
            Put32(out, at, key.id);
        }
        Put32(out, at + 4, target);
    };
    // Named entries count apart from numbered ones in a directory's header.
    auto counts = [&out](size_t at, size_t named, size_t all) {
        Put16(out, at + 12, static_cast<uint32_t>(named));
        Put16(out, at + 14, static_cast<uint32_t>(all - named));
    };
    auto namedIn = [](const auto& map) {
        return static_cast<size_t>(std::count_if(map.begin(), map.end(), [](const auto& e) { return e.first.named; }));
    };
    counts(0, namedIn(tree), tree.size());
    size_t typeSlot = 16;
    for (const auto& [type, names] : tree) {
        const size_t typeDirectory = nextDirectory;
        nextDirectory += 16 + 8 * names.size();
        entry(typeSlot, type, kHighBit | static_cast<uint32_t>(typeDirectory));
        typeSlot += 8;
        counts(typeDirectory, namedIn(names), names.size());
        size_t nameSlot = typeDirectory + 16;
        for (const auto& [name, languages] : names) {
            const size_t languageDirectory = nextDirectory;
            nextDirectory += 16 + 8 * languages.size();
            entry(nameSlot, name, kHighBit | static_cast<uint32_t>(languageDirectory));
            nameSlot += 8;
            counts(languageDirectory, namedIn(languages), languages.size());
            size_t languageSlot = languageDirectory + 16;
            for (const auto& [language, resource] : languages) {
                entry(languageSlot, language, static_cast<uint32_t>(entryAt));
                languageSlot += 8;
                const size_t dataAt = Align(out.size(), 8);
                Put32(out, entryAt, rva + static_cast<uint32_t>(dataAt));
                Put32(out, entryAt + 4, static_cast<uint32_t>(resource.data.size()));
                Put32(out, entryAt + 8, resource.codePage);
                entryAt += 16;
                out.resize(dataAt);
                out.insert(out.end(), resource.data.begin(), resource.data.end());
            }
        }
    }
    return out;
}

// The PE checksum: 16-bit words summed with their carries, plus the length.
uint32_t Checksum(const std::vector<uint8_t>& b, size_t field) {
    uint64_t sum = 0;
    for (size_t at = 0; at < b.size(); at += 2) {
        if (at >= field && at < field + 4) continue;
        sum += b[at] | (at + 1 < b.size() ? b[at + 1] << 8 : 0);
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<uint32_t>(sum + b.size());
}

}  // namespace

std::vector<uint8_t> ReplaceIcon(const std::vector<uint8_t>& image, const std::vector<IconImage>& icon,
                                 const std::string& name) {
    const Reader reader(image, name);
    Headers h = reader.ReadHeaders();
    const uint32_t resourceRva = h.Directory(image, 2, 0);
    const auto isResources = [&](const Section& s) { return resourceRva != 0 && s.virtualAddress == resourceRva; };
    const auto found = std::find_if(h.sections.begin(), h.sections.end(), isResources);
    if (found == h.sections.end()) reader.Fail("has no resource section of its own");
    const size_t index = static_cast<size_t>(found - h.sections.begin());
    // The headers stay where they are, before it; so do the sections before it.
    const uint64_t headersEnd = std::max<uint64_t>(h.sections.back().header + kSectionHeaderSize,
                                                   h.directories + 8 * uint64_t{h.directoryCount});
    if (found->rawPointer < headersEnd || found->rawPointer > image.size()) reader.Damaged();
    for (size_t i = 0; i < index; ++i) {
        const Section& s = h.sections[i];
        if ((s.rawSize != 0 && uint64_t{s.rawPointer} + s.rawSize > found->rawPointer) ||
            s.virtualAddress >= found->virtualAddress) {
            reader.Fail("has its sections out of order");
        }
    }
    // Behind it only the base relocations, which nothing else points to.
    const uint32_t relocations = h.directoryCount > 5 ? h.Directory(image, 5, 0) : 0;
    // Nor does any other table point into it or behind it, even where no
    // section is yet: what is behind it moves, and would come to lie under
    // such a pointer. (The certificate table gives a file offset.)
    for (uint32_t d = 0; d < h.directoryCount; ++d) {
        if (d != 2 && d != 4 && d != 5 && h.Directory(image, d, 0) >= found->virtualAddress &&
            h.Directory(image, d, 4) != 0) {
            reader.Fail("has more than the base relocations behind its resource section");
        }
    }
    for (size_t i = index + 1; i < h.sections.size(); ++i) {
        const Section& s = h.sections[i];
        for (uint32_t d = 0; d < h.directoryCount; ++d) {
            const uint32_t rva = h.Directory(image, d, 0);
            const bool inside = rva >= s.virtualAddress && rva - s.virtualAddress < std::max(s.virtualSize, s.rawSize);
            if (inside && d != 5) reader.Fail("has more than the base relocations behind its resource section");
        }
        if (relocations < s.virtualAddress || relocations - s.virtualAddress >= std::max(s.virtualSize, s.rawSize) ||
            s.rawPointer < found->rawPointer) {
            reader.Fail("has more than the base relocations behind its resource section");
        }
    }
    uint64_t end = 0;
    for (const Section& s : h.sections) end = std::max<uint64_t>(end, uint64_t{s.rawPointer} + s.rawSize);
    if (end > image.size()) reader.Damaged();
    if (end < image.size()) {
        reader.Fail("has " + std::to_string(image.size() - end) +
                    " bytes behind its PE image; use the stripped launcher without a package");
    }
    ResourceTree tree = reader.ReadTree(h, reader.FileOffset(h, resourceRva, 16));
    SwapIcon(tree, icon, reader);
    const std::vector<uint8_t> resources = WriteTree(tree, resourceRva);

    // Everything up to the resource section stays; the sections behind it
    // follow the new one, in the file and in memory.
    std::vector<uint8_t> out(image.begin(), image.begin() + found->rawPointer);
    out.insert(out.end(), resources.begin(), resources.end());
    out.resize(Align(out.size(), h.fileAlignment));
    const uint32_t oldRaw = found->rawSize;
    found->virtualSize = static_cast<uint32_t>(resources.size());
    found->rawSize = static_cast<uint32_t>(out.size() - found->rawPointer);
    uint64_t nextAddress = Align(uint64_t{found->virtualAddress} + found->virtualSize, h.sectionAlignment);
    for (size_t i = index + 1; i < h.sections.size(); ++i) {
        Section& s = h.sections[i];
        if (relocations >= s.virtualAddress && relocations - s.virtualAddress < std::max(s.virtualSize, s.rawSize)) {
            Put32(out, h.directories + 8 * 5, static_cast<uint32_t>(relocations - s.virtualAddress + nextAddress));
        }
        out.insert(out.end(), image.begin() + s.rawPointer, image.begin() + s.rawPointer + s.rawSize);
        s.rawPointer = static_cast<uint32_t>(out.size() - s.rawSize);
        s.virtualAddress = static_cast<uint32_t>(nextAddress);
        nextAddress = Align(nextAddress + std::max(s.virtualSize, s.rawSize), h.sectionAlignment);
    }
    if (nextAddress > 0xFFFFFFFFu || out.size() > 0xFFFFFFFFu) reader.Fail("grows past 4 GiB");
    for (const Section& s : h.sections) {
        Put32(out, s.header + 8, s.virtualSize);
        Put32(out, s.header + 12, s.virtualAddress);
        Put32(out, s.header + 16, s.rawSize);
        Put32(out, s.header + 20, s.rawPointer);
    }
    Put32(out, h.directories + 8 * 2 + 4, static_cast<uint32_t>(resources.size()));
    Put32(out, h.optional + 56, static_cast<uint32_t>(nextAddress));  // SizeOfImage
    const uint32_t initialized = LittleEndian32(&out[h.optional + 8]) - oldRaw + found->rawSize;
    Put32(out, h.optional + 8, initialized);
    if (LittleEndian32(&out[h.optional + 64]) != 0) Put32(out, h.optional + 64, Checksum(out, h.optional + 64));
    return out;
}

}  // namespace tarnpack
