#include "class_file.h"

#include <algorithm>
#include <cstddef>
#include <set>

#include "base/big_endian.h"
#include "big_endian_writer.h"
#include "pack_error.h"

namespace tarnpack {
namespace {

constexpr uint8_t kMagic[] = {0xCA, 0xFE, 0xBA, 0xBE};

// Reads the class through the launcher's big-endian readers, keeping the
// position itself: every length comes from the file and is checked before
// it is skipped.
class ClassReader {
  public:
    ClassReader(const std::vector<uint8_t>& bytes, const std::string& label)
        : bytes_(bytes), source_(bytes.data(), bytes.size()), label_(label) {}

    void Enter(const char* part) { part_ = part; }

    uint8_t U1() {
        uint8_t value = 0;
        if (!tarnwick::ReadByte(source_, &value)) EndsEarly();
        position_ += 1;
        return value;
    }
    uint16_t U2() {
        uint16_t value = 0;
        if (!tarnwick::ReadUInt16(source_, &value)) EndsEarly();
        position_ += 2;
        return value;
    }
    uint32_t U4() {
        uint32_t value = 0;
        if (!tarnwick::ReadUInt32(source_, &value)) EndsEarly();
        position_ += 4;
        return value;
    }
    void Skip(uint64_t count) {
        if (count > bytes_.size() - position_) EndsEarly();
        position_ += static_cast<size_t>(count);
        source_.Seek(position_);
    }
    // Whether the next `length` bytes are `text`; they are not consumed.
    bool Next(uint16_t length, std::string_view text) const {
        return length == text.size() && bytes_.size() - position_ >= length &&
               std::string_view(reinterpret_cast<const char*>(bytes_.data() + position_), length) == text;
    }
    size_t position() const { return position_; }
    size_t size() const { return bytes_.size(); }

    [[noreturn]] void Fail(const std::string& why) const {
        throw PackError(label_ + " is no well-formed class file: " + why);
    }

  private:
    [[noreturn]] void EndsEarly() const { Fail(std::string("it ends inside ") + part_); }

    const std::vector<uint8_t>& bytes_;
    tarnwick::MemorySource source_;
    const std::string& label_;
    const char* part_ = "the header";
    size_t position_ = 0;
};

// Returns the indices of the UTF-8 constants equal to `name`.
std::set<uint16_t> SkipConstantPool(ClassReader& reader, uint16_t count, std::string_view name) {
    std::set<uint16_t> matches;
    reader.Enter("the constant pool");
    for (uint32_t i = 1; i < count; ++i) {
        const uint8_t tag = reader.U1();
        switch (tag) {
            case 1: {  // Utf8
                const uint16_t length = reader.U2();
                if (reader.Next(length, name)) matches.insert(static_cast<uint16_t>(i));
                reader.Skip(length);
                break;
            }
            case 3:   // Integer
            case 4:   // Float
            case 9:   // Fieldref
            case 10:  // Methodref
            case 11:  // InterfaceMethodref
            case 12:  // NameAndType
            case 17:  // Dynamic
            case 18:  // InvokeDynamic
                reader.Skip(4);
                break;
            case 5:  // Long
            case 6:  // Double
                // These take two slots; the second must still be in the pool.
                if (i + 1 >= count) reader.Fail("a long or double constant takes the last pool slot");
                reader.Skip(8);
                ++i;
                break;
            case 7:   // Class
            case 8:   // String
            case 16:  // MethodType
            case 19:  // Module
            case 20:  // Package
                reader.Skip(2);
                break;
            case 15:  // MethodHandle
                reader.Skip(3);
                break;
            default:
                reader.Fail("constant " + std::to_string(i) + " has the unknown tag " + std::to_string(tag));
        }
    }
    return matches;
}

void SkipAttributes(ClassReader& reader) {
    for (uint16_t count = reader.U2(); count != 0; --count) {
        reader.Skip(2);
        reader.Skip(reader.U4());
    }
}

void SkipMembers(ClassReader& reader) {
    for (uint16_t count = reader.U2(); count != 0; --count) {
        reader.Skip(6);  // access flags, name and descriptor indices
        SkipAttributes(reader);
    }
}

void Append(std::vector<uint8_t>& out, const std::vector<uint8_t>& bytes, size_t from, size_t to) {
    out.insert(out.end(), bytes.begin() + static_cast<std::ptrdiff_t>(from),
               bytes.begin() + static_cast<std::ptrdiff_t>(to));
}

}  // namespace

bool HasClassMagic(const std::vector<uint8_t>& bytes) {
    return bytes.size() >= sizeof kMagic && std::equal(kMagic, kMagic + sizeof kMagic, bytes.begin());
}

ClassLayout ParseClassFile(const std::vector<uint8_t>& bytes, std::string_view attributeName,
                           const std::string& label) {
    ClassReader reader(bytes, label);
    if (!HasClassMagic(bytes)) reader.Fail("it does not start with CA FE BA BE");
    ClassLayout layout;
    reader.Skip(8);  // magic, minor and major version
    layout.constantPoolCount = reader.U2();
    if (layout.constantPoolCount == 0) reader.Fail("its constant pool count is 0");
    const std::set<uint16_t> names = SkipConstantPool(reader, layout.constantPoolCount, attributeName);
    layout.constantPoolEnd = reader.position();

    reader.Enter("the class header");
    reader.Skip(6);  // access flags, this and super class
    reader.Skip(2 * uint64_t{reader.U2()});
    reader.Enter("the fields");
    SkipMembers(reader);
    reader.Enter("the methods");
    SkipMembers(reader);

    reader.Enter("the class attributes");
    layout.attributesCountOffset = reader.position();
    layout.attributesCount = reader.U2();
    for (uint16_t i = 0; i < layout.attributesCount; ++i) {
        if (names.count(reader.U2()) != 0) layout.hasNamedAttribute = true;
        reader.Skip(reader.U4());
    }
    if (reader.position() != reader.size()) {
        reader.Fail(std::to_string(reader.size() - reader.position()) + " bytes follow its last attribute");
    }
    return layout;
}

std::vector<uint8_t> StartTrailingAttribute(const std::vector<uint8_t>& bytes, const ClassLayout& layout,
                                            std::string_view attributeName, const std::string& label) {
    if (layout.constantPoolCount == 0xFFFF) throw PackError(label + ": its constant pool is full");
    if (layout.attributesCount == 0xFFFF)
        throw PackError(label + ": it has the most class attributes there can be");
    std::vector<uint8_t> out(bytes.begin(), bytes.begin() + 8);  // magic and versions
    PutUInt16(out, static_cast<uint16_t>(layout.constantPoolCount + 1));
    Append(out, bytes, 10, layout.constantPoolEnd);
    PutByte(out, 1);  // Utf8
    PutCountedString(out, attributeName, "the attribute name");
    Append(out, bytes, layout.constantPoolEnd, layout.attributesCountOffset);
    PutUInt16(out, static_cast<uint16_t>(layout.attributesCount + 1));
    Append(out, bytes, layout.attributesCountOffset + 2, bytes.size());
    PutUInt16(out, layout.constantPoolCount);  // the index of the new constant
    return out;
}

}  // namespace tarnpack
