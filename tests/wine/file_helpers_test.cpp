// FileExists, FileSource and IsClassFile on real files. The readers' byte
// order and counted strings are checked on the host; here only what the
// file system adds: sharing, short reads at the end, missing files.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <string>

#include "app/launcher_app.h"
#include "base/big_endian.h"
#include "base/win32/file_exists.h"
#include "base/win32/file_source.h"
#include "tests/wine/wine_test_util.h"

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

// The launcher never locks its inputs: a file another process still writes
// is read all the same.
TEST(FileSource, ReadsAFileOthersWriteAndFailsOnMissingOnes) {
    ScratchFolder scratch;
    const std::string path = scratch / "Shared.class";
    HANDLE writer = ::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE) << "error " << ::GetLastError();
    DWORD written = 0;
    ASSERT_TRUE(::WriteFile(writer, "\xCA\xFE\xBA\xBE\x56", 5, &written, nullptr));

    FileSource source;
    ASSERT_TRUE(source.Open(path)) << "error " << ::GetLastError();
    uint64_t size = 0;
    EXPECT_TRUE(source.Size(&size) && size == 5) << "size " << size;
    uint16_t half = 0;
    EXPECT_TRUE(ReadUInt16(source, &half) && half == 0xCAFE) << std::hex << half;
    EXPECT_TRUE(source.Seek(4));
    // One byte left: a read of four fails and leaves its output alone.
    uint32_t word = 7;
    EXPECT_FALSE(ReadUInt32(source, &word));
    EXPECT_EQ(word, 7u);
    EXPECT_TRUE(IsClassFile(path)) << "error " << ::GetLastError();
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
        EXPECT_FALSE(ok || absent.IsOpen()) << m.path;
        EXPECT_EQ(openError, m.error) << m.path;
    }
}

TEST(IsClassFile, MagicAtTheStart) {
    ScratchFolder scratch;
    ASSERT_TRUE(::CreateDirectoryA((scratch / "Folder.class").c_str(), nullptr));
    const struct {
        const char* name;
        std::string bytes;  // none: no file of that name is written
        bool expected;
    } cases[] = {
        {"More.class", std::string("\xCA\xFE\xBA\xBE\x00\x00\x00\x34", 8), true},
        {"Exact.class", "\xCA\xFE\xBA\xBE", true},
        {"Short.class", "\xCA\xFE\xBA", false},
        {"Wrong.class", "\xCA\xFE\xBA\xBF", false},
        {"Missing.class", "", false},
        {"Folder.class", "", false},
    };
    for (const auto& c : cases) {
        if (!c.bytes.empty()) {
            ASSERT_TRUE(WriteWholeFile(scratch / c.name, c.bytes)) << c.name;
        }
        const bool result = IsClassFile(scratch / c.name);
        const DWORD error = ::GetLastError();
        EXPECT_EQ(result, c.expected) << c.name << ", error " << error;
    }
}

}  // namespace
}  // namespace tarnwick::test
