// What a run writes: its own folder in the temporary folder, open to the
// user, SYSTEM and Administrators only; files extracted into it, created new,
// held so that nobody changes them, deleted at the end of the run (a
// cancelled write too); and the install log, held for itself alone, under a
// header in local time.
#include <gtest/gtest.h>

#include "base/log_format.h"
#include "base/win32/install_log.h"
#include "base/win32/private_security.h"
#include "base/win32/run_folder.h"
#include "base/win32/string_table.h"
#include "package/win32/extracted_file.h"
#include "tests/wine/wine_test_util.h"

#include <sddl.h>  // after <windows.h>

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
    const auto write = [&](ExtractedFile& to) {
        MemorySource bytes(data.data(), data.size());
        return int(to.Write(verify, bytes, data.size(), 1024, &cancel));
    };
    EXPECT_EQ(write(file), int(WriteOutcome::NotCreated));
    file.Delete(installLog, texts);
    holder.Close();
    EXPECT_EQ(ReadWholeFile(verify), "held by another program") << "not ours, yet deleted or written";
    ::DeleteFileA(verify.c_str());

    ASSERT_EQ(write(file), int(WriteOutcome::Written));
    EXPECT_EQ(ReadWholeFile(verify), std::string(100, '\xCA')) << "a reader was refused, or the file is not whole";
    ScopedHandle writer(::CreateFileA(verify.c_str(), GENERIC_WRITE, 7, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_FALSE(writer.IsValid()) << "a writer got in";
    EXPECT_FALSE(::DeleteFileA(verify.c_str())) << "the file could be deleted";
    EXPECT_FALSE(::MoveFileA(verify.c_str(), (verify + ".moved").c_str())) << "the file could be renamed";
    ::DeleteFileA((verify + ".moved").c_str());
    // Compared and held for running, as a shipped JVM installer is: between
    // the check and the start nobody may swap it.
    MemorySource other(std::vector<uint8_t>(100, 0xCB)), same(data.data(), data.size());
    EXPECT_FALSE(file.HoldForRunning(other, data.size())) << "other bytes compared";
    ASSERT_EQ(write(file), int(WriteOutcome::Written));
    ASSERT_TRUE(file.HoldForRunning(same, data.size())) << "the written bytes did not compare";
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
    EXPECT_EQ(write(cancelled), int(WriteOutcome::Cancelled));
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

// The run's folder: in the temporary folder, one per run, removed at the
// end. Wine keeps no access list given at creation (it makes Unix modes of
// it), so the one the folder is made with is checked as it is handed over:
// protected, exactly the user, SYSTEM and Administrators, each with full
// access passed on to files and folders inside.
TEST(RunFolder, IsNewPrivateAndRemoved) {
    RunFolder folder;
    ASSERT_TRUE(folder.Make(TempFolder()));
    const std::string made = folder.path();
    ASSERT_TRUE(folder.Make(TempFolder()) && folder.path() == made) << "a second folder: " << folder.path();
    EXPECT_EQ(made.rfind(TempFolder() + "tw-", 0), 0u) << made;
    ASSERT_TRUE(WriteWholeFile(made + "inside.txt", "x"));
    ::DeleteFileA((made + "inside.txt").c_str());
    folder.Remove();
    EXPECT_FALSE(Exists(made)) << "not removed";

    PrivateSecurity security;
    ASSERT_TRUE(security.Make() && security.attributes());
    void* descriptor = security.attributes()->lpSecurityDescriptor;
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    BOOL present = FALSE, defaulted = FALSE;
    ACL* acl = nullptr;
    ASSERT_TRUE(::GetSecurityDescriptorControl(descriptor, &control, &revision) &&
                ::GetSecurityDescriptorDacl(descriptor, &present, &acl, &defaulted) && present && acl);
    EXPECT_TRUE(control & SE_DACL_PROTECTED) << "the temporary folder's entries are inherited";
    std::string seen;
    for (DWORD i = 0; i < acl->AceCount; ++i) {
        ACCESS_ALLOWED_ACE* ace = nullptr;
        ASSERT_TRUE(::GetAce(acl, i, reinterpret_cast<void**>(&ace)));
        char* sid = nullptr;
        ::ConvertSidToStringSidA(&ace->SidStart, &sid);
        seen += std::to_string(ace->Header.AceType) + " " + std::to_string(ace->Header.AceFlags) + " " +
                std::to_string(ace->Mask == FILE_ALL_ACCESS) + " " + (sid ? sid : "?") + "\n";
        ::LocalFree(sid);
    }
    HANDLE token = nullptr;
    DWORD size = 0;
    uint8_t user[256];
    ::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token);
    ::GetTokenInformation(token, TokenUser, user, sizeof user, &size);
    ::CloseHandle(token);
    char* me = nullptr;
    ::ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(user)->User.Sid, &me);
    EXPECT_EQ(seen, "0 3 1 " + std::string(me ? me : "?") + "\n0 3 1 S-1-5-18\n0 3 1 S-1-5-32-544\n");
    ::LocalFree(me);
}

}  // namespace
}  // namespace tarnwick::test
