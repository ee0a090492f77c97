// What a run writes: package sections extracted into the temporary folder,
// created new, held so that nobody changes them, deleted by Teardown; and the
// install log, held for itself alone, under a header in local time.
#include <gtest/gtest.h>

#include "app/launcher_app.h"
#include "base/log_format.h"
#include "base/win32/own_module.h"
#include "tests/wine/wine_test_util.h"

namespace tarnwick::test {
namespace {

// A file that cannot be created new fails the step: one another program holds
// open (sharing reading and writing, not deletion) stays its own. Once it is
// gone the step succeeds: readers that share writing, as JVMs do, get in;
// writers, deleters and renamers do not, until Teardown deletes the file.
TEST(Extraction, CreatesNewAndHoldsReadOnlyUntilTeardown) {
    const std::string log = TempFolder() + "tw_extraction_test.log", verify = TempFolder() + "TwExtractVerify.class";
    InstanceHandle = ::GetModuleHandleA(nullptr);
    LauncherApp app;
    app.package.Section(2).name = "TwExtractVerify.class";
    app.packageLoaded = true;  // the package is in memory
    app.verifyClassData.assign(100, 0xCA);
    SYSTEMTIME opened[2];
    ::GetLocalTime(&opened[0]), app.log.Open(log), ::GetLocalTime(&opened[1]);
    ASSERT_TRUE(WriteWholeFile(verify, "held by another program"));
    ScopedHandle holder(::CreateFileA(verify.c_str(), GENERIC_READ, 3, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_FALSE(app.ExtractVerifyClass());
    EXPECT_FALSE(app.verifyClassExtracted || !app.verifyClassPath.empty()) << app.verifyClassPath;
    holder.Close();
    EXPECT_EQ(ReadWholeFile(verify), "held by another program");
    ::DeleteFileA(verify.c_str());

    ASSERT_TRUE(app.ExtractVerifyClass());
    EXPECT_EQ(ReadWholeFile(verify), std::string(100, '\xCA')) << "a reader was refused, or the file is not whole";
    ScopedHandle writer(::CreateFileA(verify.c_str(), GENERIC_WRITE, 7, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_FALSE(writer.IsValid()) << "a writer got in";
    EXPECT_FALSE(::DeleteFileA(verify.c_str())) << "the file could be deleted";
    EXPECT_FALSE(::MoveFileA(verify.c_str(), (verify + ".moved").c_str())) << "the file could be renamed";
    ::DeleteFileA((verify + ".moved").c_str());
    EXPECT_EQ(ReadWholeFile(log), "") << "the log could be read while open";
    app.log.SetTracing(true);
    app.Teardown();
    EXPECT_FALSE(Exists(verify)) << "not deleted";
    app.log.Close();
    const std::string text = ReadWholeFile(log);
    const auto header = [](const SYSTEMTIME& t) {  // month first
        return FormatLogHeader("Date", "Time", {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond});
    };
    EXPECT_TRUE(text.rfind(header(opened[0]), 0) == 0 || text.rfind(header(opened[1]), 0) == 0)
        << "'" << text << "'; the local time was " << header(opened[0]);
    EXPECT_EQ(text.substr(std::min<size_t>(35, text.size())), "\r\nError occured while Extracting file  " + verify +
                                                                  " ...\r\n\r\nDeleting file  " + verify + "...\r\n");
    ::DeleteFileA(log.c_str());
}

}  // namespace
}  // namespace tarnwick::test
