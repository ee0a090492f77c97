// Paths for the 8-bit API whatever the user is called. The tests run in code
// page 1252: it holds 'é' and no Chinese.
#include "base/win32/ansi_text.h"

#include <gtest/gtest.h>

#include "tests/wine/wine_test_util.h"

namespace tarnwick::test {
namespace {

std::wstring Wide(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

TEST(AnsiPath, EachPathOpensTheSameFileThroughThe8BitApi) {
    ScratchFolder scratch;
    const std::wstring base = Wide(scratch.path), chinese = base + L"\\\u5f20\u4e09 profile";
    ASSERT_TRUE(::CreateDirectoryW(chinese.c_str(), nullptr) && ::CreateDirectoryW((base + L"\\caf\u00e9").c_str(), nullptr));
    ::CloseHandle(::CreateFileW((chinese + L"\\marker.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    // kept: converted as it is; opens: a short form, '?' nowhere, that opens
    // (or creates) the wide path's file; none: no form at all.
    enum Want { kept, opens, none };
    const struct { std::wstring path; Want want; } cases[] = {
        {base + L"\\caf\u00e9", kept}, {chinese, opens}, {chinese + L"\\marker.txt", opens},
        {chinese + L"\\new.log", opens}, {base + L"\\\u4e0d\\new.log", none}};
    for (const auto& c : cases) {
        std::string ansi = "<none>";
        const bool found = AnsiPath(c.path, &ansi);
        SCOPED_TRACE("case " + std::to_string(&c - cases) + ": " + ansi);
        EXPECT_EQ(found, c.want != none);
        if (c.want == kept) {
            EXPECT_EQ(ansi, scratch.path + "\\caf\xe9");
        }
        if (c.want != opens) continue;
        EXPECT_EQ(ansi.find('?'), std::string::npos);
        if (::GetFileAttributesW(c.path.c_str()) == INVALID_FILE_ATTRIBUTES) {
            ::CloseHandle(::CreateFileA(ansi.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
            EXPECT_NE(::GetFileAttributesW(c.path.c_str()), INVALID_FILE_ATTRIBUTES) << "not made through the 8-bit path";
        } else {
            EXPECT_EQ(::GetFileAttributesA(ansi.c_str()), ::GetFileAttributesW(c.path.c_str()));
        }
    }
    // A list: each entry on its own; one that names nothing stays as it converts.
    std::string folder;
    ASSERT_TRUE(AnsiPath(chinese, &folder));
    EXPECT_EQ(AnsiPathList(chinese + L";;C:\\\u4e0d\\bin;C:\\Windows"), folder + ";;C:\\?\\bin;C:\\Windows");
}

}  // namespace
}  // namespace tarnwick::test
