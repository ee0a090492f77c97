// What a run writes: files extracted into the temporary folder, created new,
// held so that nobody changes them, deleted at the end of the run (a
// cancelled write too); and the install log, held for itself alone, under a
// header in local time.
#include <gtest/gtest.h>

#include "base/log_format.h"
#include "base/win32/install_log.h"
#include "base/win32/string_table.h"
#include "package/win32/extracted_file.h"
#include "tests/wine/wine_test_util.h"

namespace tarnwick::test {
namespace {

// A file that cannot be created new fails the step: one another program holds
// open (sharing reading and writing, not deletion) stays its own. Once it is
// gone the step succeeds: readers that share writing, as JVMs do, get in;
// writers, deleters and renamers do not, until Teardown deletes the file.
TEST(Extraction, CreatesNewAndHoldsReadOnlyUntilDeleted) {
    const std::string log = TempFolder() + "tw_extraction_test.log", verify = TempFolder() + "TwExtractVerify.class";
    const std::vector<uint8_t> data(100, 0xCA);
    InstallLog installLog;
    StringTableTexts texts;
    CancelEvent cancel;
    SYSTEMTIME opened[2];
    ::GetLocalTime(&opened[0]), installLog.Open(log), ::GetLocalTime(&opened[1]);
    installLog.SetTracing(true);
    ASSERT_TRUE(WriteWholeFile(verify, "held by another program"));
    ScopedHandle holder(::CreateFileA(verify.c_str(), GENERIC_READ, 3, nullptr, OPEN_EXISTING, 0, nullptr));
    ExtractedFile file;
    EXPECT_EQ(int(file.Write(verify, data.data(), data.size(), 30, &cancel)), int(WriteOutcome::NotCreated));
    file.Delete(installLog, texts);
    holder.Close();
    EXPECT_EQ(ReadWholeFile(verify), "held by another program") << "not ours, yet deleted or written";
    ::DeleteFileA(verify.c_str());

    ASSERT_EQ(int(file.Write(verify, data.data(), data.size(), 30, &cancel)), int(WriteOutcome::Written));
    EXPECT_EQ(ReadWholeFile(verify), std::string(100, '\xCA')) << "a reader was refused, or the file is not whole";
    ScopedHandle writer(::CreateFileA(verify.c_str(), GENERIC_WRITE, 7, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_FALSE(writer.IsValid()) << "a writer got in";
    EXPECT_FALSE(::DeleteFileA(verify.c_str())) << "the file could be deleted";
    EXPECT_FALSE(::MoveFileA(verify.c_str(), (verify + ".moved").c_str())) << "the file could be renamed";
    ::DeleteFileA((verify + ".moved").c_str());
    // Compared and held for running, as a shipped JVM installer is: between
    // the check and the start nobody may swap it.
    ASSERT_TRUE(file.HoldForRunning(data)) << "the written bytes did not compare";
    EXPECT_FALSE(ScopedHandle(::CreateFileA(verify.c_str(), GENERIC_WRITE, 7, nullptr, OPEN_EXISTING, 0, nullptr)).IsValid())
        << "a writer got in after the check";
    EXPECT_FALSE(::DeleteFileA(verify.c_str())) << "the checked file could be deleted";
    EXPECT_EQ(ReadWholeFile(log), "") << "the log could be read while open";
    file.Delete(installLog, texts);
    EXPECT_FALSE(Exists(verify)) << "not deleted";

    // Cancelled before its first write: the file was made, so it goes too.
    cancel.Set();
    ExtractedFile cancelled;
    ::DeleteFileA(verify.c_str());
    EXPECT_EQ(int(cancelled.Write(verify, data.data(), data.size(), 30, &cancel)), int(WriteOutcome::Cancelled));
    cancelled.Delete(installLog, texts);
    EXPECT_FALSE(Exists(verify)) << "a cancelled write left its file";
    installLog.Close();
    const std::string text = ReadWholeFile(log);
    const auto header = [](const SYSTEMTIME& t) {  // month first
        return FormatLogHeader("Date", "Time", {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond});
    };
    EXPECT_TRUE(text.rfind(header(opened[0]), 0) == 0 || text.rfind(header(opened[1]), 0) == 0)
        << "'" << text << "'; the local time was " << header(opened[0]);
    EXPECT_EQ(text.substr(std::min<size_t>(35, text.size())), "\r\nDeleting file  " + verify + "...\r\n\r\nDeleting file  " + verify + "...\r\n");
    ::DeleteFileA(log.c_str());
}

}  // namespace
}  // namespace tarnwick::test
