// What a run writes: package sections extracted into the temporary folder,
// created new, held so that nobody changes them, deleted by Teardown; and the
// install log, held for itself alone, under a header in local time.
#include <gtest/gtest.h>

#include "app/launcher_app.h"
#include "app/process_flags.h"
#include "app/process_windows.h"
#include "package/temp_folder.h"
#include "tests/wine/wine_test_util.h"

namespace tarnwick::test {
namespace {

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
        LogAll = false;
        app.Teardown();
        for (const std::string* file : {&log, &verify}) ::DeleteFileA(file->c_str());
    }
    // Checks the log's header, month first, and gives the rest of it.
    std::string LogAfterHeader() {
        EXPECT_TRUE(!app.log.IsOpen() || ReadWholeFile(log).empty()) << "the log could be read while open";
        app.log.Close();
        const std::string text = ReadWholeFile(log);
        std::string headers;
        for (const SYSTEMTIME& t : opened) {
            char header[64];
            std::snprintf(header, sizeof header, "Date :: %02u:%02u:%04u Time :: %02u:%02u:%02u", t.wMonth, t.wDay,
                          t.wYear, t.wHour, t.wMinute, t.wSecond);
            if (text.rfind(header, 0) == 0) return text.substr(35);
            headers += std::string(" or '") + header + "'";
        }
        ADD_FAILURE() << "the log '" << text << "' begins with neither" << headers;
        return text;
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
    LogAll = true;
    app.Teardown();
    EXPECT_FALSE(Exists(verify)) << "not deleted";
    EXPECT_EQ(LogAfterHeader(), "\r\nDeleting file  " + verify + "...\r\n");
}

// A file that cannot be created new fails the step: one another program
// holds open (sharing reading and writing, not deletion) stays its own.
TEST_F(ExtractionTest, AFileThatCannotBeCreatedNewFailsTheStep) {
    ASSERT_TRUE(WriteWholeFile(verify, "held by another program"));
    ScopedHandle holder(::CreateFileA(verify.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(holder.IsValid()) << "error " << ::GetLastError();
    EXPECT_FALSE(app.ExtractVerifyClass());
    EXPECT_FALSE(app.verifyClassExtracted || !app.verifyClassPath.empty()) << app.verifyClassPath;
    holder.Close();
    EXPECT_EQ(ReadWholeFile(verify), "held by another program");
    EXPECT_EQ(LogAfterHeader(), "\r\nError occured while Extracting file  " + verify + " ...\r\n");
}

// Free bytes must be strictly more than needed. Other programs change the
// free space meanwhile: a round whose measure moved is taken again.
TEST(TempFolderWithSpace, NeedsStrictlyMoreFreeBytes) {
    std::string folder, unused, seen;
    ASSERT_TRUE(TempFolderWithSpace(0, &folder));
    EXPECT_EQ(folder, TempFolder());
    const auto freeBytes = [&] {
        DWORD sectors = 0, bytes = 0, clusters = 0, total = 0;
        ::GetDiskFreeSpaceA(folder.substr(0, 3).c_str(), &sectors, &bytes, &clusters, &total);
        return uint64_t{sectors} * bytes * clusters;
    };
    for (int round = 0; round < 20; ++round) {
        const uint64_t free = freeBytes();
        seen = std::to_string(TempFolderWithSpace(free, &unused)) + std::to_string(TempFolderWithSpace(free - 1, &unused));
        if (freeBytes() == free) break;
    }
    EXPECT_EQ(seen, "01") << "asking for all free bytes, then for one less";
}

}  // namespace
}  // namespace tarnwick::test
