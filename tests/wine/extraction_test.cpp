// Writing package sections into the temporary folder: the file must be one
// this run made, and nobody may change it until Teardown deletes it.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "app/launcher_app.h"
#include "base/win32/own_module.h"
#include "base/win32/temp_folder.h"
#include "tests/wine/wine_test_util.h"

namespace tarnwick {
namespace {

using test::ReadWholeFile;
using test::WriteWholeFile;

std::string TempFolder() {
    char path[MAX_PATH] = {};
    const DWORD length = ::GetTempPathA(MAX_PATH, path);
    return std::string(path, length);
}

// A LauncherApp whose package is already in memory, logging to a file.
class ExtractionTest : public testing::Test {
  protected:
    void SetUp() override {
        InstanceHandle = ::GetModuleHandleA(nullptr);
        logPath = TempFolder() + "tw_extraction_test.log";
        app.logPath = logPath;
        app.log.Open(logPath);
        app.packageLoaded = true;
        app.package.Section(1).name = "TwExtractArchive.class";
        app.package.Section(2).name = "TwExtractVerify.class";
        archiveTarget = TempFolder() + "TwExtractArchive.class";
        verifyTarget = TempFolder() + "TwExtractVerify.class";
        ::DeleteFileA(archiveTarget.c_str());
        ::DeleteFileA(verifyTarget.c_str());
    }
    void TearDown() override {
        app.Teardown();
        ::DeleteFileA(logPath.c_str());
        ::DeleteFileA(archiveTarget.c_str());
        ::DeleteFileA(verifyTarget.c_str());
    }
    // The log after the header line.
    std::string LogLines() {
        app.log.Close();
        const std::string text = ReadWholeFile(logPath);
        return text.size() > 35 ? text.substr(35) : std::string();
    }

    LauncherApp app;
    std::string logPath;
    std::string archiveTarget;
    std::string verifyTarget;
};

std::vector<uint8_t> ClassBytes(size_t size) {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i * 7 + 3);
    if (size >= 4) bytes[0] = 0xCA, bytes[1] = 0xFE, bytes[2] = 0xBA, bytes[3] = 0xBE;
    return bytes;
}

TEST_F(ExtractionTest, WritesEverySizeWholeAndMarksItForDeletion) {
    for (size_t size : {size_t{0}, size_t{1}, size_t{1023}, size_t{1024}, size_t{2048}, size_t{3001}}) {
        app.archiveData = ClassBytes(size);
        app.archiveExtracted = false;
        app.archiveFile.Close();
        ASSERT_TRUE(app.ExtractJavaArchive()) << "size " << size << ", error " << ::GetLastError();
        EXPECT_TRUE(app.archiveExtracted);
        EXPECT_EQ(app.archivePath, archiveTarget);
        const std::string written = ReadWholeFile(archiveTarget);
        EXPECT_EQ(written, std::string(app.archiveData.begin(), app.archiveData.end())) << "size " << size;
    }
}

TEST_F(ExtractionTest, ReplacesAStaleFileOfTheSameName) {
    ASSERT_TRUE(WriteWholeFile(verifyTarget, "left here by someone else"));
    app.verifyClassData = ClassBytes(40);
    ASSERT_TRUE(app.ExtractVerifyClass());
    EXPECT_EQ(ReadWholeFile(verifyTarget), std::string(app.verifyClassData.begin(), app.verifyClassData.end()));
    EXPECT_TRUE(IsClassFile(app.verifyClassPath));
}

TEST_F(ExtractionTest, APlantedLinkIsRemovedNeverWrittenThrough) {
    const std::string victim = TempFolder() + "tw_link_victim.txt";
    ASSERT_TRUE(WriteWholeFile(victim, "precious"));
    using CreateLink = BOOLEAN(WINAPI*)(LPCSTR, LPCSTR, DWORD);
    auto createLink = reinterpret_cast<CreateLink>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "CreateSymbolicLinkA")));
    // Wine's CreateSymbolicLinkA may report success and make nothing, and
    // links made from the host are followed even by DeleteFile there, so
    // this runs only where Windows programs can make real links.
    if (createLink == nullptr || !createLink(verifyTarget.c_str(), victim.c_str(), 0) ||
        ::GetFileAttributesA(verifyTarget.c_str()) == INVALID_FILE_ATTRIBUTES) {
        ::DeleteFileA(victim.c_str());
        GTEST_SKIP() << "no symbolic links here, error " << ::GetLastError();
    }
    app.verifyClassData = ClassBytes(40);
    ASSERT_TRUE(app.ExtractVerifyClass());
    EXPECT_EQ(ReadWholeFile(victim), "precious") << "written through the link";
    EXPECT_EQ(::GetFileAttributesA(verifyTarget.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT, 0u);
    EXPECT_EQ(ReadWholeFile(verifyTarget), std::string(app.verifyClassData.begin(), app.verifyClassData.end()));
    ::DeleteFileA(victim.c_str());
}

TEST_F(ExtractionTest, AFileThatCannotBeCreatedFailsTheStep) {
    ASSERT_TRUE(WriteWholeFile(verifyTarget, "held by another program"));
    // Another program holds the file open and lets nobody delete it.
    ScopedHandle holder(::CreateFileA(verifyTarget.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(holder.IsValid()) << "error " << ::GetLastError();
    app.verifyClassData = ClassBytes(40);
    EXPECT_FALSE(app.ExtractVerifyClass());
    EXPECT_FALSE(app.verifyClassExtracted);
    EXPECT_TRUE(app.verifyClassPath.empty());
    holder.Close();
    EXPECT_EQ(ReadWholeFile(verifyTarget), "held by another program") << "the other file is untouched";
    EXPECT_EQ(LogLines(), "\r\nError occured while Extracting file  " + verifyTarget + " ...\r\n");
}

TEST_F(ExtractionTest, AnExtractedFileCannotBeChangedOrReplacedUntilTeardown) {
    app.verifyClassData = ClassBytes(100);
    ASSERT_TRUE(app.ExtractVerifyClass());

    // Readers that share writing, as JVMs and IsClassFile do, get in.
    EXPECT_TRUE(IsClassFile(verifyTarget));
    ScopedHandle reader(::CreateFileA(verifyTarget.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    EXPECT_TRUE(reader.IsValid()) << "error " << ::GetLastError();
    reader.Close();

    ScopedHandle writer(::CreateFileA(verifyTarget.c_str(), GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    EXPECT_FALSE(writer.IsValid()) << "a writer got in";
    EXPECT_FALSE(::DeleteFileA(verifyTarget.c_str())) << "the file could be deleted";
    const std::string moved = verifyTarget + ".moved";
    EXPECT_FALSE(::MoveFileA(verifyTarget.c_str(), moved.c_str())) << "the file could be renamed";
    ::DeleteFileA(moved.c_str());

    app.log.SetTracing(true);
    app.Teardown();
    EXPECT_EQ(::GetFileAttributesA(verifyTarget.c_str()), INVALID_FILE_ATTRIBUTES) << "not deleted";
    EXPECT_EQ(LogLines(), "\r\nDeleting file  " + verifyTarget + "...\r\n");
}

TEST_F(ExtractionTest, TeardownLogsAndDeletesOnlyWhatThisRunWrote) {
    app.log.SetTracing(true);
    app.verifyClassData = ClassBytes(10);
    app.archiveData = ClassBytes(10);
    ASSERT_TRUE(app.ExtractVerifyClass());
    ASSERT_TRUE(app.ExtractJavaArchive());
    // A file named by an option is never deleted.
    const std::string userFile = TempFolder() + "tw_user_file.class";
    ASSERT_TRUE(WriteWholeFile(userFile, "mine"));
    app.bundledInstallerPath = userFile;

    app.Teardown();
    EXPECT_EQ(LogLines(), "\r\nExtracting file  " + verifyTarget + " ...\r\n" +
                              "\r\nExtracting file  " + archiveTarget + " ....\r\n" +
                              "\r\nDeleting file  " + verifyTarget + "...\r\n" +
                              "\r\nDeleting file  " + archiveTarget + "...\r\n");
    EXPECT_EQ(::GetFileAttributesA(archiveTarget.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(::GetFileAttributesA(userFile.c_str()), INVALID_FILE_ATTRIBUTES);
    ::DeleteFileA(userFile.c_str());
}

TEST(TempFolderWithSpaceTest, NeedsStrictlyMoreFreeBytes) {
    std::string folder;
    ASSERT_TRUE(TempFolderWithSpace(0, &folder)) << "error " << ::GetLastError();
    EXPECT_EQ(folder, TempFolder());
    ULARGE_INTEGER available, total, totalFree;
    ASSERT_TRUE(::GetDiskFreeSpaceExA(folder.substr(0, 3).c_str(), &available, &total, &totalFree));
    DWORD sectors = 0, bytes = 0, freeClusters = 0, clusters = 0;
    ASSERT_TRUE(::GetDiskFreeSpaceA(folder.substr(0, 3).c_str(), &sectors, &bytes, &freeClusters, &clusters));
    const uint64_t freeBytes = uint64_t{sectors} * bytes * freeClusters;
    std::string unused;
    EXPECT_FALSE(TempFolderWithSpace(freeBytes, &unused)) << "equal is not enough";
    EXPECT_TRUE(TempFolderWithSpace(freeBytes - 1, &unused));
    EXPECT_FALSE(TempFolderWithSpace(~uint64_t{0}, &unused));
}

}  // namespace
}  // namespace tarnwick
