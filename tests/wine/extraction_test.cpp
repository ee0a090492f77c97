// What a run writes: package sections extracted into the temporary folder,
// created new, held so that nobody changes them, deleted by Teardown; and the
// install log, held for itself alone, under a header in local time.
#include <gtest/gtest.h>

#include "app/launcher_app.h"
#include "base/win32/own_module.h"
#include "base/win32/temp_folder.h"
#include "tests/wine/wine_test_util.h"

namespace tarnwick::test {
namespace {

std::string Header(const SYSTEMTIME& t) {
    char text[64];
    std::snprintf(text, sizeof text, "Date :: %02u:%02u:%04u Time :: %02u:%02u:%02u", t.wMonth, t.wDay, t.wYear,
                  t.wHour, t.wMinute, t.wSecond);
    return text;
}

class ExtractionTest : public testing::Test {
  protected:
    void SetUp() override {
        InstanceHandle = ::GetModuleHandleA(nullptr);
        app.package.Section(2).name = "TwExtractVerify.class";
        app.packageLoaded = true;  // the package is in memory
        app.verifyClassData.assign(100, 0xCA);
        ::DeleteFileA(verify.c_str());
        ::GetLocalTime(&opened[0]), app.log.Open(log), ::GetLocalTime(&opened[1]);
    }
    void TearDown() override {
        app.Teardown();
        for (const std::string* file : {&log, &verify}) ::DeleteFileA(file->c_str());
    }
    std::string LogAfterHeader() {  // month first
        app.log.Close();
        const std::string text = ReadWholeFile(log);
        EXPECT_TRUE(text.rfind(Header(opened[0]), 0) == 0 || text.rfind(Header(opened[1]), 0) == 0)
            << "'" << text << "'; the local time was " << Header(opened[0]);
        return text.substr(std::min<size_t>(35, text.size()));
    }

    LauncherApp app;
    SYSTEMTIME opened[2];
    const std::string log = TempFolder() + "tw_extraction_test.log", verify = TempFolder() + "TwExtractVerify.class";
};

// Readers that share writing, as JVMs do, get in; writers, deleters and
// renamers do not, until Teardown deletes the file.
TEST_F(ExtractionTest, HoldsTheFileReadOnlyUntilTeardown) {
    ASSERT_TRUE(app.ExtractVerifyClass());
    EXPECT_EQ(ReadWholeFile(verify), std::string(100, '\xCA')) << "a reader was refused, or the file is not whole";
    ScopedHandle writer(::CreateFileA(verify.c_str(), GENERIC_WRITE, 7, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_FALSE(writer.IsValid()) << "a writer got in";
    EXPECT_FALSE(::DeleteFileA(verify.c_str())) << "the file could be deleted";
    EXPECT_FALSE(::MoveFileA(verify.c_str(), (verify + ".moved").c_str())) << "the file could be renamed";
    ::DeleteFileA((verify + ".moved").c_str());
    app.log.SetTracing(true);
    app.Teardown();
    EXPECT_FALSE(Exists(verify)) << "not deleted";
    EXPECT_EQ(LogAfterHeader(), "\r\nDeleting file  " + verify + "...\r\n");
}

// A file that cannot be created new fails the step: one another program
// holds open (sharing reading and writing, not deletion) stays its own.
TEST_F(ExtractionTest, AFileThatCannotBeCreatedNewFailsTheStep) {
    ASSERT_TRUE(WriteWholeFile(verify, "held by another program"));
    ScopedHandle holder(::CreateFileA(verify.c_str(), GENERIC_READ, 3, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_FALSE(app.ExtractVerifyClass());
    EXPECT_FALSE(app.verifyClassExtracted || !app.verifyClassPath.empty()) << app.verifyClassPath;
    holder.Close();
    EXPECT_EQ(ReadWholeFile(verify), "held by another program");
    EXPECT_EQ(ReadWholeFile(log), "") << "the log could be read while open";
    EXPECT_EQ(LogAfterHeader(), "\r\nError occured while Extracting file  " + verify + " ...\r\n");
}

// Free bytes must be strictly more than needed. Other programs change the
// free space meanwhile: a round whose measure moved is taken again.
TEST(TempFolderWithSpace, NeedsStrictlyMoreFreeBytes) {
    std::string folder, seen;
    ASSERT_TRUE(TempFolderWithSpace(0, &folder));
    EXPECT_EQ(folder, TempFolder());
    const auto freeBytes = [&] {  // as the launcher counts them
        DWORD sectors = 0, bytes = 0, clusters = 0, total = 0;
        ::GetDiskFreeSpaceA(folder.substr(0, 3).c_str(), &sectors, &bytes, &clusters, &total);
        return uint64_t{sectors} * bytes * clusters;
    };
    for (uint64_t round = 0, free = freeBytes(); round < 20; ++round, free = freeBytes()) {
        seen = std::to_string(TempFolderWithSpace(free, &folder)) +
               std::to_string(TempFolderWithSpace(free - 1, &folder));
        if (freeBytes() == free) break;
    }
    EXPECT_EQ(seen, "01") << "asking for all free bytes, then for one less";
}

}  // namespace
}  // namespace tarnwick::test
