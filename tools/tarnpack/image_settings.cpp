#include "image_settings.h"

#include <algorithm>
#include <array>
#include <memory>

#include "base/byte_order.h"
#include "pack_error.h"
#include "pe_resources.h"

namespace tarnpack {
namespace {

using tarnwick::LittleEndian16;

// Larger resources are no launcher's: refused before they are read.
constexpr uint32_t kMaxResource = 64 * 1024;

// --- the manifest -----------------------------------------------------------

size_t Find(const std::vector<uint8_t>& bytes, const std::string& text, size_t from, size_t until) {
    const auto end = bytes.begin() + static_cast<ptrdiff_t>(std::min(until, bytes.size()));
    const auto at = std::search(bytes.begin() + static_cast<ptrdiff_t>(std::min(from, bytes.size())), end,
                                text.begin(), text.end());
    return at == end ? std::string::npos : static_cast<size_t>(at - bytes.begin());
}

// --- the version resource ---------------------------------------------------

// One node of VS_VERSIONINFO: length, value length, type, a zero-ended
// UTF-16 key, then (4-byte aligned) the value and the children.
struct VersionNode {
    size_t end = 0;
    std::u16string key;
    size_t value = 0;
    uint16_t valueLength = 0;  // characters for a text (type 1), else bytes
    size_t children = 0;
};

size_t Align4(size_t offset) { return (offset + 3) & ~size_t{3}; }

bool ReadNode(const std::vector<uint8_t>& b, size_t start, size_t limit, VersionNode* node) {
    if (start + 6 > limit) return false;
    const size_t length = LittleEndian16(&b[start]);
    if (length < 6 || start + length > limit) return false;
    node->end = start + length;
    node->valueLength = LittleEndian16(&b[start + 2]);
    const bool text = LittleEndian16(&b[start + 4]) == 1;
    node->key.clear();
    size_t at = start + 6;
    for (; at + 2 <= node->end && LittleEndian16(&b[at]) != 0; at += 2) node->key += char16_t(LittleEndian16(&b[at]));
    if (at + 2 > node->end) return false;
    node->value = std::min(Align4(at + 2), node->end);
    const size_t valueBytes = text ? size_t{node->valueLength} * 2 : node->valueLength;
    if (node->value + valueBytes > node->end) return false;
    node->children = std::min(Align4(node->value + valueBytes), node->end);
    return true;
}

// Calls visit(node) for each node `depth` levels below `parent`; false when
// a node on the way is damaged. Each node is at least 6 bytes long, so the
// walk is linear in the resource's size.
template <typename Visit>
bool ForEachBelow(const std::vector<uint8_t>& b, const VersionNode& parent, int depth, Visit& visit) {
    for (size_t at = parent.children; at + 6 <= parent.end;) {
        VersionNode child;
        if (!ReadNode(b, at, parent.end, &child)) return false;
        if (depth == 1) {
            visit(child);
        } else if (!ForEachBelow(b, child, depth - 1, visit)) {
            return false;
        }
        at = Align4(child.end);
    }
    return true;
}

// The leading "a.b.c.d" of a version text, as the four 16-bit parts.
bool VersionNumbers(const std::string& text, std::array<uint16_t, 4>* parts) {
    *parts = {0, 0, 0, 0};
    size_t at = 0;
    for (size_t part = 0; part < 4; ++part) {
        uint32_t number = 0;
        const size_t first = at;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9' && number <= 0xFFFF) {
            number = number * 10 + uint32_t(text[at++] - '0');
        }
        if (at == first || number > 0xFFFF) return false;
        (*parts)[part] = static_cast<uint16_t>(number);
        if (at + 1 >= text.size() || text[at] != '.' || text[at + 1] < '0' || text[at + 1] > '9') break;
        ++at;
    }
    return true;
}

void Put32(std::vector<uint8_t>& b, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

struct TextField {
    const char16_t* key;
    const std::string* value;
    const char* option;
};

void WriteText(std::vector<uint8_t>& b, const VersionNode& node, const TextField& field) {
    const std::u16string text = Utf16(*field.value, field.option);
    const size_t room = node.valueLength == 0 ? 0 : node.valueLength - 1u;
    if (text.size() > room) {
        throw PackError(std::string(field.option) + " is " + std::to_string(text.size()) +
                        " UTF-16 characters long; the launcher has room for " + std::to_string(room));
    }
    // The rest of the field becomes zeros: readers stop at the first.
    for (size_t i = 0; i < node.valueLength; ++i) {
        const char16_t unit = i < text.size() ? text[i] : u'\0';
        b[node.value + 2 * i] = static_cast<uint8_t>(unit);
        b[node.value + 2 * i + 1] = static_cast<uint8_t>(unit >> 8);
    }
}

std::vector<uint8_t> ReadResource(tarnwick::SourceOpener& files, const std::string& launcher, uint16_t type,
                                  const std::string& what, uint64_t* offset) {
    std::unique_ptr<tarnwick::ByteSource> file = files.Open(launcher);
    if (!file) throw PackError("cannot open " + launcher);
    const std::optional<FileSpan> span = FindResource(*file, type, 1);
    if (!span) throw PackError(launcher + " has no " + what + " to write the settings into");
    if (span->size > kMaxResource) throw PackError(launcher + ": its " + what + " is larger than 64 KiB");
    std::vector<uint8_t> bytes(span->size);
    if (!file->Seek(span->offset) || !file->Read(bytes.data(), span->size)) {
        throw PackError("cannot read the " + what + " of " + launcher);
    }
    *offset = span->offset;
    return bytes;
}

}  // namespace

std::u16string Utf16(const std::string& utf8, const std::string& option) {
    std::u16string out;
    for (size_t i = 0; i < utf8.size();) {
        const uint8_t lead = static_cast<uint8_t>(utf8[i]);
        const size_t extra = lead < 0x80 ? 0 : (lead >> 5) == 6 ? 1 : (lead >> 4) == 14 ? 2 : (lead >> 3) == 30 ? 3 : 9;
        if (extra == 9 || i + extra >= utf8.size()) throw PackError(option + " is not UTF-8 text");
        uint32_t code = extra == 0 ? lead : lead & (0x3F >> extra);
        for (size_t k = 1; k <= extra; ++k) {
            const uint8_t next = static_cast<uint8_t>(utf8[i + k]);
            if ((next >> 6) != 2) throw PackError(option + " is not UTF-8 text");
            code = (code << 6) | (next & 0x3F);
        }
        static constexpr uint32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
        if (code < kLeast[extra] || code > 0x10FFFF || (code >= 0xD800 && code < 0xE000) || code == 0) {
            throw PackError(option + " is not UTF-8 text");
        }
        if (code >= 0x10000) {
            out += char16_t(0xD800 + ((code - 0x10000) >> 10));
            out += char16_t(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            out += char16_t(code);
        }
        i += extra + 1;
    }
    return out;
}

bool ImageSettings::Empty() const {
    return executionLevel.empty() && productName.empty() && productVersion.empty() && description.empty();
}

void CheckSettings(const ImageSettings& settings) {
    const std::string& level = settings.executionLevel;
    if (!level.empty() && level != "asInvoker" && level != "highestAvailable" && level != "requireAdministrator") {
        throw PackError("--execution-level is " + level + "; give asInvoker, highestAvailable or requireAdministrator");
    }
    std::array<uint16_t, 4> parts;
    if (!settings.productVersion.empty() && !VersionNumbers(settings.productVersion, &parts)) {
        throw PackError("--product-version " + settings.productVersion +
                        " does not start with up to four numbers 0-65535 joined by dots, e.g. 2.1.0");
    }
}

void SetExecutionLevel(std::vector<uint8_t>& manifest, const std::string& level) {
    const size_t element = Find(manifest, "<requestedExecutionLevel", 0, manifest.size());
    const size_t close = element == std::string::npos ? element : Find(manifest, ">", element, manifest.size());
    const size_t field = close == std::string::npos ? close : Find(manifest, " level=\"", element, close);
    const size_t quote = field == std::string::npos ? field : Find(manifest, "\"", field + 8, close);
    if (quote == std::string::npos) throw PackError("the launcher's manifest names no execution level");
    // The field: level="VALUE" and the blanks behind it.
    size_t end = quote + 1;
    while (end < close && manifest[end] == ' ') ++end;
    const std::string text = "level=\"" + level + "\"";
    if (text.size() > end - (field + 1)) throw PackError("the launcher's manifest has no room for " + text);
    for (size_t i = field + 1, k = 0; i < end; ++i, ++k) manifest[i] = k < text.size() ? uint8_t(text[k]) : ' ';
}

void SetVersionTexts(std::vector<uint8_t>& version, const ImageSettings& settings) {
    VersionNode root;
    if (!ReadNode(version, 0, version.size(), &root) || root.key != u"VS_VERSION_INFO" || root.valueLength != 52 ||
        LittleEndian16(&version[root.value + 2]) != 0xFEEF || LittleEndian16(&version[root.value]) != 0x04BD) {
        throw PackError("the launcher's version resource is damaged");
    }
    const std::vector<TextField> fields = {
        {u"ProductName", &settings.productName, "--product-name"},
        {u"ProductVersion", &settings.productVersion, "--product-version"},
        {u"FileVersion", &settings.productVersion, "--product-version"},
        {u"FileDescription", &settings.description, "--description"}};
    std::vector<bool> written(fields.size(), false);
    // StringFileInfo, its string tables, their texts.
    auto visit = [&](const VersionNode& text) {
        for (size_t i = 0; i < fields.size(); ++i) {
            if (text.key != fields[i].key || fields[i].value->empty()) continue;
            WriteText(version, text, fields[i]);
            written[i] = true;
        }
    };
    bool intact = true;
    auto visitBlock = [&](const VersionNode& block) {
        if (block.key == u"StringFileInfo") intact = intact && ForEachBelow(version, block, 2, visit);
    };
    intact = ForEachBelow(version, root, 1, visitBlock) && intact;
    if (!intact) throw PackError("the launcher's version resource is damaged");
    for (size_t i = 0; i < fields.size(); ++i) {
        if (!fields[i].value->empty() && !written[i]) {
            throw PackError("the launcher's version resource has no " + std::string(fields[i].option + 2) + " text");
        }
    }
    std::array<uint16_t, 4> parts;
    if (!settings.productVersion.empty() && VersionNumbers(settings.productVersion, &parts)) {
        const uint32_t high = uint32_t{parts[0]} << 16 | parts[1], low = uint32_t{parts[2]} << 16 | parts[3];
        for (const size_t at : {8, 16}) {  // dwFileVersionMS/LS, dwProductVersionMS/LS
            Put32(version, root.value + at, high);
            Put32(version, root.value + at + 4, low);
        }
    }
}

std::vector<ByteEdit> LauncherEdits(tarnwick::SourceOpener& files, const std::string& launcher,
                                    const ImageSettings& settings) {
    std::vector<ByteEdit> edits;
    if (!settings.executionLevel.empty()) {
        ByteEdit edit;
        edit.bytes = ReadResource(files, launcher, kManifestResourceType, "application manifest", &edit.offset);
        SetExecutionLevel(edit.bytes, settings.executionLevel);
        edits.push_back(std::move(edit));
    }
    if (!settings.productName.empty() || !settings.productVersion.empty() || !settings.description.empty()) {
        ByteEdit edit;
        edit.bytes = ReadResource(files, launcher, kVersionResourceType, "version resource", &edit.offset);
        SetVersionTexts(edit.bytes, settings);
        edits.push_back(std::move(edit));
    }
    return edits;
}

}  // namespace tarnpack
