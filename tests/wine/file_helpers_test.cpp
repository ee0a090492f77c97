// FileExists, FileSource with the big-endian readers, and IsClassFile on
// real files.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <string>

#include "app/launcher_app.h"
#include "tests/wine/wine_test_util.h"
#include "ui/big_endian.h"
#include "ui/file_exists.h"
#include "ui/file_source.h"

namespace tarnwick::test {
namespace {

TEST(FileExists, FilesAndFolders) {
    ScratchFolder scratch;
    const std::string file = scratch / "present.txt";
    ASSERT_TRUE(WriteWholeFile(file, "x"));
    const struct {
        std::string path;
        bool expected;
    } cases[] = {
        {file, true},
        {scratch.path(), true},
        {scratch.path() + "\\", true},
        {scratch / "absent.txt", false},
        {scratch / "absent\\present.txt", false},
        {"", false},
    };
    for (const auto& c : cases) {
        const bool exists = FileExists(c.path);
        const DWORD error = ::GetLastError();
        EXPECT_EQ(exists, c.expected) << "'" << c.path << "' error " << error;
    }
}

// Reader `r` (8, 16, 32 or 64 bits) on `source`; its output starts filled
// with 0xEE bytes, so an untouched output shows as all 0xEE.
bool ReadWith(size_t r, FileSource& source, uint64_t* value) {
    uint8_t v8 = 0xEE;
    uint16_t v16 = 0xEEEE;
    uint32_t v32 = 0xEEEEEEEE;
    UInt64Halves v64;
    v64.low = v64.high = 0xEEEEEEEE;
    bool ok = false;
    switch (r) {
        case 0: ok = ReadByte(source, &v8); *value = v8; break;
        case 1: ok = ReadUInt16(source, &v16); *value = v16; break;
        case 2: ok = ReadUInt32(source, &v32); *value = v32; break;
        default: ok = ReadUInt64(source, &v64); *value = (uint64_t{v64.high} << 32) | v64.low;
    }
    return ok;
}

TEST(FileSource, ReadersNeedAllTheirBytes) {
    ScratchFolder scratch;
    const std::string bytes = "\x01\x02\x03\x04\x05\x06\x07\x08";
    const struct {
        const char* name;
        size_t needs;
        uint64_t value;      // from the bytes above: the first four are the high half
        uint64_t untouched;  // the output after a failure
    } readers[] = {
        {"byte", 1, 0x01, 0xEE},
        {"16-bit", 2, 258, 0xEEEE},
        {"32-bit", 4, 0x01020304, 0xEEEEEEEE},
        {"64-bit", 8, 0x0102030405060708, 0xEEEEEEEEEEEEEEEE},
    };
    // Each reader on a file of each size succeeds exactly when the file
    // holds all its bytes.
    for (size_t size : {0, 1, 2, 3, 4, 7, 8}) {
        const std::string path = scratch / ("short" + std::to_string(size) + ".bin");
        ASSERT_TRUE(WriteWholeFile(path, bytes.substr(0, size)));
        for (size_t r = 0; r < 4; ++r) {
            FileSource source;
            ASSERT_TRUE(source.Open(path)) << path << " error " << ::GetLastError();
            uint64_t value = 0;
            const bool ok = ReadWith(r, source, &value);
            const DWORD error = ::GetLastError();
            EXPECT_EQ(ok, size >= readers[r].needs)
                << readers[r].name << " reader on " << size << " bytes, error " << error;
            EXPECT_EQ(value, ok ? readers[r].value : readers[r].untouched)
                << std::hex << readers[r].name << " reader on " << std::dec << size << " bytes";
        }
    }
}

TEST(FileSource, CountedStrings) {
    ScratchFolder scratch;
    const struct {
        const char* what;
        std::string bytes;
        bool ok;
        std::string text;
        int next;  // the byte after the string, -1 for the end of the file
    } cases[] = {
        {"stops at the first zero, skips all L bytes", std::string("\x00\x05" "ab\x00" "cdX", 8), true, "ab", 'X'},
        {"no zero among the bytes", std::string("\x00\x03" "abcY", 6), true, "abc", 'Y'},
        {"empty", std::string("\x00\x00" "Z", 3), true, "", 'Z'},
        {"exactly L bytes", std::string("\x00\x02" "ok", 4), true, "ok", -1},
        {"L larger than what remains", std::string("\x00\x05" "abc", 5), false, "", 0},
        {"L of 65535, 3 bytes left", std::string("\xFF\xFF" "abc", 5), false, "", 0},
        {"one length byte only", std::string("\x00", 1), false, "", 0},
    };
    for (const auto& c : cases) {
        const std::string path = scratch / "counted.bin";
        ASSERT_TRUE(WriteWholeFile(path, c.bytes));
        FileSource source;
        ASSERT_TRUE(source.Open(path)) << "error " << ::GetLastError();
        std::string text = "untouched";
        const bool ok = ReadCountedString(source, &text);
        const DWORD error = ::GetLastError();
        EXPECT_EQ(ok, c.ok) << c.what << ", error " << error;
        if (!c.ok) {
            EXPECT_EQ(text, "untouched") << c.what;
            continue;
        }
        EXPECT_EQ(text, c.text) << c.what;
        uint8_t next = 0;
        const bool more = ReadByte(source, &next);
        if (c.next < 0) {
            EXPECT_FALSE(more) << c.what << ": read past the end";
        } else {
            EXPECT_TRUE(more && next == c.next) << c.what << ": next byte " << int(next) << " ok " << more;
        }
    }
}

TEST(FileSource, OpensAFileOthersWriteAndFailsOnMissingOnes) {
    ScratchFolder scratch;
    const std::string path = scratch / "shared.bin";
    HANDLE writer = ::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE) << "error " << ::GetLastError();
    DWORD written = 0;
    ASSERT_TRUE(::WriteFile(writer, "\x12\x34\x56", 3, &written, nullptr));

    FileSource source;
    const bool opened = source.Open(path);
    const DWORD error = ::GetLastError();
    EXPECT_TRUE(opened) << "error " << error;
    EXPECT_TRUE(source.IsOpen());
    uint16_t value = 0;
    uint64_t size = 0;
    EXPECT_TRUE(source.Size(&size) && size == 3) << "size " << size;
    EXPECT_TRUE(ReadUInt16(source, &value) && value == 0x1234) << "value " << value;
    EXPECT_TRUE(source.Seek(2));
    uint8_t last = 0;
    EXPECT_TRUE(ReadByte(source, &last) && last == 0x56) << "byte " << int(last);
    ::CloseHandle(writer);

    const struct {
        std::string path;
        DWORD error;
    } missing[] = {
        {scratch / "absent.bin", ERROR_FILE_NOT_FOUND},
        {scratch / "absent\\file.bin", ERROR_PATH_NOT_FOUND},
    };
    for (const auto& m : missing) {
        FileSource absent;
        ::SetLastError(0xdeadbeef);
        const bool ok = absent.Open(m.path);
        const DWORD openError = ::GetLastError();
        EXPECT_FALSE(ok) << m.path;
        EXPECT_FALSE(absent.IsOpen());
        EXPECT_EQ(openError, m.error) << m.path;
    }
}

TEST(IsClassFile, MagicAtTheStart) {
    ScratchFolder scratch;
    const struct {
        const char* what;
        std::string bytes;
        bool write;  // false: there is no file at all
        bool expected;
    } cases[] = {
        {"magic and more", std::string("\xCA\xFE\xBA\xBE\x00\x00\x00\x34", 8), true, true},
        {"exactly the magic", "\xCA\xFE\xBA\xBE", true, true},
        {"three bytes", "\xCA\xFE\xBA", true, false},
        {"empty", "", true, false},
        {"last byte wrong", "\xCA\xFE\xBA\xBF", true, false},
        {"byte-swapped", "\xBE\xBA\xFE\xCA", true, false},
        {"missing", "", false, false},
    };
    for (const auto& c : cases) {
        const std::string path = scratch / "Verify.class";
        ::DeleteFileA(path.c_str());
        if (c.write) {
            ASSERT_TRUE(WriteWholeFile(path, c.bytes)) << c.what;
        }
        const bool result = IsClassFile(path);
        const DWORD error = ::GetLastError();
        EXPECT_EQ(result, c.expected) << c.what << ", error " << error;
    }
    EXPECT_FALSE(IsClassFile(scratch.path())) << "a folder";
}

TEST(IsClassFile, FileHeldOpenByAWriter) {
    ScratchFolder scratch;
    const std::string path = scratch / "Archive.class";
    HANDLE writer = ::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE) << "error " << ::GetLastError();
    DWORD written = 0;
    ASSERT_TRUE(::WriteFile(writer, "\xCA\xFE\xBA\xBE\x00", 5, &written, nullptr));
    const bool result = IsClassFile(path);
    const DWORD error = ::GetLastError();
    EXPECT_TRUE(result) << "error " << error;
    ::CloseHandle(writer);
}

}  // namespace
}  // namespace tarnwick::test
