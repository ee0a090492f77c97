// InstallLog on real files, with the English string table linked into this
// executable.
#include "base/win32/install_log.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cctype>
#include <cstdio>
#include <string>

#include "base/win32/own_module.h"
#include "tests/wine/wine_test_util.h"

namespace tarnwick::test {
namespace {

class InstallLogTest : public testing::Test {
  protected:
    void SetUp() override { InstanceHandle = ::GetModuleHandleA(nullptr); }
    ScratchFolder scratch;
};

std::string HeaderAt(const SYSTEMTIME& t) {
    char text[64];
    std::snprintf(text, sizeof text, "Date :: %02u:%02u:%02u Time :: %02u:%02u:%02u", t.wMonth,
                  t.wDay, t.wYear, t.wHour, t.wMinute, t.wSecond);
    return text;
}

bool LooksLikeHeader(const std::string& text) {
    const std::string shape = "Date :: 99:99:9999 Time :: 99:99:99";
    if (text.size() != shape.size()) return false;
    for (size_t i = 0; i < shape.size(); ++i) {
        const bool fits = shape[i] == '9' ? std::isdigit(static_cast<unsigned char>(text[i])) != 0
                                          : text[i] == shape[i];
        if (!fits) return false;
    }
    return true;
}

TEST_F(InstallLogTest, FolderMissingLeavesTheLogFailed) {
    const std::string path = scratch / "absent\\log.txt";
    InstallLog log;
    log.Open(path);
    EXPECT_EQ(log.state(), InstallLog::State::Failed);
    EXPECT_FALSE(log.IsOpen());
    log.WriteLine("\r\nSearch summary \r\n");
    EXPECT_EQ(::GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES) << "error " << ::GetLastError();

    // Failed counts as created: a later Open with a good path does nothing.
    const std::string good = scratch / "good.txt";
    log.Open(good);
    EXPECT_EQ(log.state(), InstallLog::State::Failed);
    EXPECT_EQ(::GetFileAttributesA(good.c_str()), INVALID_FILE_ATTRIBUTES) << "file created after all";
}

TEST_F(InstallLogTest, ReplacesAnExistingFileWithTheHeader) {
    const std::string path = scratch / "twlog.txt";
    ASSERT_TRUE(WriteWholeFile(path, std::string(500, 'o') + "\r\nold run\r\n"));

    SYSTEMTIME before;
    SYSTEMTIME after;
    InstallLog log;
    ::GetLocalTime(&before);
    log.Open(path);
    ::GetLocalTime(&after);
    EXPECT_EQ(log.state(), InstallLog::State::Open);

    // Written with no sharing: nobody reads it while it is open.
    HANDLE reader = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    const DWORD error = ::GetLastError();
    EXPECT_EQ(reader, INVALID_HANDLE_VALUE) << "opened while the log holds it";
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    if (reader != INVALID_HANDLE_VALUE) ::CloseHandle(reader);

    log.Close();
    EXPECT_EQ(log.state(), InstallLog::State::Closed);
    const std::string header = ReadWholeFile(path);
    EXPECT_TRUE(LooksLikeHeader(header)) << "'" << header << "'";
    EXPECT_TRUE(header == HeaderAt(before) || header == HeaderAt(after))
        << "'" << header << "', local time was '" << HeaderAt(before) << "'";
}

TEST_F(InstallLogTest, SecondOpenDoesNothing) {
    const std::string first = scratch / "first.txt";
    const std::string second = scratch / "second.txt";
    InstallLog log;
    log.Open(first);
    log.Open(second);
    EXPECT_EQ(log.state(), InstallLog::State::Open);
    EXPECT_EQ(::GetFileAttributesA(second.c_str()), INVALID_FILE_ATTRIBUTES) << "second file created";
    log.WriteLine("\r\nline\r\n");
    log.Close();
    const std::string text = ReadWholeFile(first);
    EXPECT_TRUE(text.size() == 35 + 8 && text.compare(35, 8, "\r\nline\r\n") == 0) << "'" << text << "'";
}

TEST_F(InstallLogTest, WritesLinesByteForByteUntilClosed) {
    const std::string path = scratch / "log.txt";
    const std::string lines[] = {
        "\r\nSearch summary \r\n",
        "\r\n\tSearch for JVM failed  \r\n",
        "Corrupted JVM Installer  C:\\Temp\\jre setup.exe\r\n",  // no leading line end
        "",
        std::string("nul\0inside\r\n", 12),
        "\r\nValidation of  C:\\Pro\xAE\\Verify.class failed\r\n",
    };
    InstallLog log;
    log.Open(path);
    ASSERT_TRUE(log.IsOpen());
    std::string expected;
    for (const std::string& line : lines) {
        log.WriteLine(line);
        expected += line;
    }
    log.Close();
    EXPECT_FALSE(log.IsOpen());
    log.WriteLine("\r\nafter close\r\n");
    log.Open(path);  // never reopened: the file is not emptied again
    EXPECT_EQ(log.state(), InstallLog::State::Closed);

    const std::string text = ReadWholeFile(path);
    ASSERT_GE(text.size(), 35u) << "'" << text << "'";
    EXPECT_TRUE(LooksLikeHeader(text.substr(0, 35))) << "'" << text.substr(0, 35) << "'";
    EXPECT_EQ(text.substr(35), expected);
}

}  // namespace
}  // namespace tarnwick::test
