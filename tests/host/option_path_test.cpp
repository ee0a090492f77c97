#include "base/path_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace tarnwick {
namespace {

struct PathCase {
    const char* path;
    const char* base;
    const char* want;
};

class ResolveOptionPathTest : public testing::TestWithParam<PathCase> {};

TEST_P(ResolveOptionPathTest, ResolvesAndNormalises) {
    const PathCase& c = GetParam();
    EXPECT_EQ(ResolveOptionPath(std::string(c.path), std::string(c.base)), c.want)
        << "path " << c.path << " base " << c.base;
    // The UTF-16 instance follows the same rules.
    const std::string path(c.path), base(c.base), want(c.want);
    const std::u16string got = ResolveOptionPath(std::u16string(path.begin(), path.end()),
                                                 std::u16string(base.begin(), base.end()));
    EXPECT_EQ(std::string(got.begin(), got.end()), want);
}

const PathCase kPathCases[] = {
    // Absolute paths come back unchanged, even with dots in them.
    {"C:\\a\\..\\b.class", "D:\\setup\\", "C:\\a\\..\\b.class"},
    {"c:relative.class", "D:\\setup\\", "c:relative.class"},
    {"\\\\server\\share\\x\\..\\y", "D:\\setup\\", "\\\\server\\share\\x\\..\\y"},
    {"\\\\server", "D:\\setup\\", "\\\\server"},
    // Relative paths join the base folder.
    {"java.exe", "D:\\setup\\", "D:\\setup\\java.exe"},
    {"java.exe", "D:\\setup", "D:\\setup\\java.exe"},
    {"\\java.exe", "D:\\setup\\", "D:\\setup\\java.exe"},
    {"\\java.exe", "D:\\setup", "D:\\setup\\java.exe"},
    {"java.exe", "", "java.exe"},
    {"\\\\", "D:\\s\\", "D:\\s\\\\"},
    // Normalisation.
    {"sub\\.\\x\\..\\a.class", "C:\\setup\\", "C:\\setup\\sub\\a.class"},
    {"sub\\..\\a.class", "C:\\setup\\", "C:\\setup\\a.class"},
    {"..\\a.class", "C:\\setup\\", "C:\\a.class"},
    {"..\\..\\a.class", "C:\\setup\\", "C:\\a.class"},
    {"a\\b\\..\\..\\c", "C:\\s\\", "C:\\s\\c"},
    {"sub\\.", "C:\\s\\", "C:\\s\\sub"},
    {"sub\\..", "C:\\s\\", "C:\\s\\"},
    {".\\.\\a", "C:\\s\\", "C:\\s\\a"},
    // Names that begin with dots are names, not folder references.
    {".config\\a.class", "C:\\s\\", "C:\\s\\.config\\a.class"},
    {"x\\..hidden\\a", "C:\\s\\", "C:\\s\\x\\..hidden\\a"},
    {"x\\...\\a", "C:\\s\\", "C:\\s\\x\\...\\a"},
};

INSTANTIATE_TEST_SUITE_P(Paths, ResolveOptionPathTest, testing::ValuesIn(kPathCases));

TEST(JoinPathTest, OneBackslashBetween) {
    const std::pair<std::pair<const char*, const char*>, const char*> cases[] = {
        {{"", "java.exe"}, "java.exe"},
        {{"C:\\", "java.exe"}, "C:\\java.exe"},
        {{"C:\\bin", "java.exe"}, "C:\\bin\\java.exe"},
        {{"C:\\bin\\", "\\java.exe"}, "C:\\bin\\java.exe"},
        {{"C:\\bin", "\\java.exe"}, "C:\\bin\\java.exe"},
    };
    for (const auto& [parts, want] : cases) {
        const std::string got = JoinPath(std::string(parts.first), std::string(parts.second));
        EXPECT_EQ(got, want) << "[" << parts.first << "] + [" << parts.second << "] saw " << got;
    }
}

TEST(PathRootTest, FindsDriveAndShareRoots) {
    const std::pair<const char*, const char*> cases[] = {
        {"C:\\setup\\a.exe", "C:"},
        {"C:", "C:"},
        {"\\\\srv\\share\\dir\\a.exe", "\\\\srv\\share"},
        {"\\\\srv\\share", "\\\\srv\\share"},
        {"\\\\srv", "\\\\srv"},
        {"\\\\", ""},
        {"\\dir\\a.exe", ""},
        {"a.exe", ""},
        {"", ""},
    };
    for (const auto& [path, root] : cases) {
        EXPECT_EQ(PathRoot(std::string(path)), root) << "path " << path;
    }
}

TEST(BaseFolderOfTest, KeepsTheTrailingBackslash) {
    const std::pair<const char*, const char*> cases[] = {
        {"C:\\setup\\setup.exe", "C:\\setup\\"},
        {"C:\\setup.exe", "C:\\"},
        {"\\\\srv\\share\\setup.exe", "\\\\srv\\share\\"},
        {"\\\\srv\\share", "\\\\srv\\share"},
        {"C:setup.exe", "C:"},
        {"setup.exe", ""},
    };
    for (const auto& [path, folder] : cases) {
        EXPECT_EQ(BaseFolderOf(std::string(path)), folder) << "path " << path;
    }
}

}  // namespace
}  // namespace tarnwick
