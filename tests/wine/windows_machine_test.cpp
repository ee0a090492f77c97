// WindowsMachine against the real Win32 API: registry values written here,
// scratch folders, the environment of this process, drives, and verification
// runs of the stand-in JVM (stand_in_jvm.exe) copied into a scratch tree.
#include "jvmsearch/windows_machine.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <iostream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "tests/wine/wine_test_util.h"

namespace tarnwick::test {
namespace {

using RunOutcome = Machine::RunOutcome;

const char* OutcomeName(RunOutcome outcome) {
    switch (outcome) {
        case RunOutcome::NotStarted:
            return "NotStarted";
        case RunOutcome::Ended:
            return "Ended";
        case RunOutcome::TimedOut:
            return "TimedOut";
    }
    return "?";
}

// A variable of this process, set for the test and put back afterwards.
class ScopedVariable {
  public:
    explicit ScopedVariable(const char* name) : name_(name) {
        std::vector<char> buffer(70000);
        const DWORD length = ::GetEnvironmentVariableA(name, buffer.data(), 70000);
        had_ = length > 0 && length < 70000;
        if (had_) old_.assign(buffer.data(), length);
    }
    ~ScopedVariable() { ::SetEnvironmentVariableA(name_, had_ ? old_.c_str() : nullptr); }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

    bool Set(const std::string& value) {
        return ::SetEnvironmentVariableA(name_, value.c_str()) != 0;
    }
    bool Remove() {
        return ::SetEnvironmentVariableA(name_, nullptr) != 0 ||
               ::GetLastError() == ERROR_ENVVAR_NOT_FOUND;
    }

  private:
    const char* name_;
    bool had_ = false;
    std::string old_;
};

std::string Variable(const char* name) {
    std::vector<char> buffer(70000);
    const DWORD length = ::GetEnvironmentVariableA(name, buffer.data(), 70000);
    return length > 0 && length < 70000 ? std::string(buffer.data(), length) : std::string();
}

// ---------------------------------------------------------------------------
// ReadRegistryString

const char kTestRoot[] = "Software\\TarnwickTest";
const char kTestKey[] = "Software\\TarnwickTest\\Java Runtime Environment\\1.2";

void DeleteKeyTree(HKEY parent, const std::string& name) {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(parent, name.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
    char child[256];
    for (;;) {
        DWORD length = sizeof child;
        if (::RegEnumKeyExA(key, 0, child, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            break;
        }
        DeleteKeyTree(key, child);
    }
    ::RegCloseKey(key);
    ::RegDeleteKeyA(parent, name.c_str());
}

class ReadRegistryStringTest : public testing::Test {
  protected:
    void SetUp() override {
        DeleteKeyTree(HKEY_LOCAL_MACHINE, kTestRoot);
        const LONG error = ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, kTestKey, 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &key_, nullptr);
        ASSERT_EQ(error, ERROR_SUCCESS) << "cannot create HKLM\\" << kTestKey;
    }
    void TearDown() override {
        if (key_ != nullptr) ::RegCloseKey(key_);
        DeleteKeyTree(HKEY_LOCAL_MACHINE, kTestRoot);
        HKEY gone = nullptr;
        EXPECT_NE(::RegOpenKeyA(HKEY_LOCAL_MACHINE, kTestRoot, &gone), ERROR_SUCCESS)
            << "the test key is still there";
        if (gone != nullptr) ::RegCloseKey(gone);
    }
    void SetValue(const std::string& name, DWORD type, const std::string& bytes) {
        const LONG error = ::RegSetValueExA(key_, name.c_str(), 0, type,
                                            reinterpret_cast<const BYTE*>(bytes.data()),
                                            static_cast<DWORD>(bytes.size()));
        ASSERT_EQ(error, ERROR_SUCCESS) << "cannot set value '" << name << "'";
    }

    HKEY key_ = nullptr;
};

TEST_F(ReadRegistryStringTest, ValuesOfEveryType) {
    const std::string nul(1, '\0');
    const struct {
        const char* name;
        DWORD type;
        std::string stored;
        bool expected;
        std::string text;
    } cases[] = {
        {"JavaHome", REG_SZ, "C:\\JRE\\1.2" + nul, true, "C:\\JRE\\1.2"},
        {"Blank Name", REG_SZ, "C:\\Program Files\\JavaSoft\\JRE\\1.2\\" + nul, true,
         "C:\\Program Files\\JavaSoft\\JRE\\1.2\\"},
        {"Expand", REG_EXPAND_SZ, "%SystemRoot%\\java" + nul, true, "%SystemRoot%\\java"},
        {"Binary", REG_BINARY, "C:\\bin" + nul + "tail", true, "C:\\bin"},
        {"BinaryNoNul", REG_BINARY, "D:\\jdk", true, "D:\\jdk"},
        {"Dword", REG_DWORD, "AB" + nul + nul, true, "AB"},
        {"EmbeddedNul", REG_SZ, "first" + nul + "second" + nul, true, "first"},
        {"Empty", REG_SZ, nul, true, ""},
        {"", REG_SZ, "C:\\default" + nul, true, "C:\\default"},
        {"Fits259", REG_SZ, std::string(259, 'x') + nul, true, std::string(259, 'x')},
        {"Binary260", REG_BINARY, std::string(260, 'y'), true, std::string(260, 'y')},
        {"TooLong260", REG_SZ, std::string(260, 'x') + nul, false, ""},
        {"TooLong300", REG_SZ, std::string(300, 'x') + nul, false, ""},
        {"TooLongBinary", REG_BINARY, std::string(300, 'y'), false, ""},
    };
    for (const auto& c : cases) {
        SetValue(c.name, c.type, c.stored);
    }

    WindowsMachine machine;
    for (const auto& c : cases) {
        std::string text = "untouched";
        ::SetLastError(0xdeadbeef);
        const bool read = machine.ReadRegistryString(kTestKey, c.name, &text);
        const DWORD error = ::GetLastError();
        EXPECT_EQ(read, c.expected) << "value '" << c.name << "' type " << c.type << " gave '"
                                    << text << "', error " << error;
        if (read && c.expected) {
            EXPECT_EQ(text, c.text) << "value '" << c.name << "' type " << c.type;
        }
    }
}

TEST_F(ReadRegistryStringTest, MissingKeyOrValue) {
    SetValue("JavaHome", REG_SZ, std::string("C:\\JRE", 7));
    const struct {
        std::string key;
        std::string value;
    } cases[] = {
        {"Software\\TarnwickTest\\Java Runtime Environment\\1.1", "JavaHome"},
        {"Software\\TarnwickTest\\Absent\\1.2", "JavaHome"},
        {kTestKey, "Absent"},
        {kTestKey, ""},  // no default value was set
        {kTestRoot, "JavaHome"},
    };
    WindowsMachine machine;
    for (const auto& c : cases) {
        std::string text;
        ::SetLastError(0xdeadbeef);
        const bool read = machine.ReadRegistryString(c.key, c.value, &text);
        const DWORD error = ::GetLastError();
        EXPECT_FALSE(read) << "'" << c.key << "' value '" << c.value << "' gave '" << text
                           << "', error " << error;
    }
    // The value next to the missing ones is still read.
    std::string text;
    EXPECT_TRUE(machine.ReadRegistryString(kTestKey, "JavaHome", &text));
    EXPECT_EQ(text, "C:\\JRE");
}

// ---------------------------------------------------------------------------
// FileExists, ListEntries, IdentifyFolder

TEST(WindowsMachineFiles, FileExists) {
    ScratchFolder scratch;
    ASSERT_TRUE(WriteWholeFile(scratch / "java.exe", "MZ"));
    const struct {
        std::string path;
        bool expected;
    } cases[] = {
        {scratch / "java.exe", true},
        {scratch / "JAVA.EXE", true},
        {scratch.path(), true},
        {scratch.path() + "\\", true},
        {scratch / "jre.exe", false},
        {scratch / "missing\\java.exe", false},
        {"", false},
    };
    WindowsMachine machine;
    for (const auto& c : cases) {
        ::SetLastError(0xdeadbeef);
        const bool exists = machine.FileExists(c.path);
        const DWORD error = ::GetLastError();
        EXPECT_EQ(exists, c.expected) << "'" << c.path << "' error " << error;
    }
}

// Entries as FindFirstFileA/FindNextFileA give them, the reference the
// machine's list is compared with.
std::vector<FolderEntry> Reference(const std::string& pattern) {
    std::vector<FolderEntry> entries;
    WIN32_FIND_DATAA found;
    HANDLE find = ::FindFirstFileA(pattern.c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return entries;
    do {
        FolderEntry entry;
        entry.name = found.cFileName;
        entry.isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        entry.isReparsePoint = (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        entries.push_back(entry);
    } while (::FindNextFileA(find, &found));
    ::FindClose(find);
    return entries;
}

std::string Describe(const std::vector<FolderEntry>& entries) {
    std::string text;
    for (const auto& entry : entries) {
        text += entry.name + (entry.isFolder ? "/" : "") + (entry.isReparsePoint ? "@" : "") + " ";
    }
    return text;
}

const FolderEntry* Find(const std::vector<FolderEntry>& entries, const std::string& name) {
    for (const auto& entry : entries) {
        if (entry.name == name) return &entry;
    }
    return nullptr;
}

TEST(WindowsMachineFiles, ListEntriesInFileSystemOrder) {
    ScratchFolder scratch;
    ASSERT_TRUE(WriteWholeFile(scratch / "b.txt", "b"));
    ASSERT_TRUE(WriteWholeFile(scratch / "java.exe", "MZ"));
    ASSERT_TRUE(::CreateDirectoryA((scratch / "sub").c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryA((scratch / "sub\\inner").c_str(), nullptr));
    ASSERT_TRUE(WriteWholeFile(scratch / "Mixed Case.Jar", "PK"));

    const struct {
        std::string pattern;
        bool expected;
        size_t count;
    } cases[] = {
        {scratch / "*.*", true, 6},      {scratch / "*", true, 6},
        {scratch / "java.exe", true, 1}, {scratch / "*.exe", true, 1},
        {scratch / "sub\\*.*", true, 3}, {scratch / "sub", true, 1},
        {scratch / "jre.exe", false, 0}, {scratch / "missing\\*.*", false, 0},
    };
    WindowsMachine machine;
    for (const auto& c : cases) {
        // Whatever the list held before is replaced.
        std::vector<FolderEntry> entries(2);
        ::SetLastError(0xdeadbeef);
        const bool listed = machine.ListEntries(c.pattern, &entries);
        const DWORD error = ::GetLastError();
        EXPECT_EQ(listed, c.expected)
            << "'" << c.pattern << "' gave " << Describe(entries) << "error " << error;
        if (!listed) continue;
        const std::vector<FolderEntry> reference = Reference(c.pattern);
        EXPECT_EQ(entries.size(), c.count) << "'" << c.pattern << "' gave " << Describe(entries);
        EXPECT_EQ(Describe(entries), Describe(reference)) << "'" << c.pattern << "' out of order";
    }

    std::vector<FolderEntry> entries;
    ASSERT_TRUE(machine.ListEntries(scratch / "*.*", &entries));
    const struct {
        const char* name;
        bool isFolder;
    } expected[] = {
        {".", true},         {"..", true},  {"b.txt", false},
        {"java.exe", false}, {"sub", true}, {"Mixed Case.Jar", false},
    };
    for (const auto& e : expected) {
        const FolderEntry* entry = Find(entries, e.name);
        ASSERT_NE(entry, nullptr) << "no '" << e.name << "' in " << Describe(entries);
        EXPECT_EQ(entry->isFolder, e.isFolder) << e.name;
        EXPECT_FALSE(entry->isReparsePoint) << e.name;
    }
}

TEST(WindowsMachineFiles, IdentifyFolder) {
    ScratchFolder scratch;
    ASSERT_TRUE(::CreateDirectoryA((scratch / "one").c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryA((scratch / "two").c_str(), nullptr));
    WindowsMachine machine;
    FolderIdentity one, two, root;
    ASSERT_TRUE(machine.IdentifyFolder(scratch / "one", &one)) << "error " << ::GetLastError();
    ASSERT_TRUE(machine.IdentifyFolder(scratch / "two", &two)) << "error " << ::GetLastError();
    ASSERT_TRUE(machine.IdentifyFolder(scratch.path(), &root)) << "error " << ::GetLastError();
    EXPECT_TRUE(one < two || two < one) << "two folders, one index " << one.index;
    EXPECT_TRUE(one < root || root < one) << "folder and parent, one index " << one.index;

    // Other spellings of the same folder.
    const std::string spellings[] = {
        scratch / "one\\",
        scratch / "ONE",
        scratch / "two\\..\\one",
        scratch / "one\\.",
    };
    for (const auto& spelling : spellings) {
        FolderIdentity same;
        ::SetLastError(0xdeadbeef);
        const bool identified = machine.IdentifyFolder(spelling, &same);
        const DWORD error = ::GetLastError();
        EXPECT_TRUE(identified) << "'" << spelling << "' error " << error;
        EXPECT_EQ(same.volume, one.volume) << spelling;
        EXPECT_EQ(same.index, one.index) << spelling;
    }

    const std::string missing[] = {scratch / "three", scratch / "one\\missing", ""};
    for (const auto& path : missing) {
        FolderIdentity identity;
        ::SetLastError(0xdeadbeef);
        const bool identified = machine.IdentifyFolder(path, &identity);
        const DWORD error = ::GetLastError();
        EXPECT_FALSE(identified) << "'" << path << "' index " << identity.index << " error "
                                 << error;
    }
}

// Runs a Unix program the way Wine starts one, in `folder`, and waits until
// `done` says its work is there. Wine gives no process handle that can be
// waited on for a Unix program.
template <class Done>
bool RunUnixProgram(const std::string& folder, std::string command, Done done) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    if (!::CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                          &startup, &started)) {
        return false;
    }
    if (started.hProcess != nullptr) ::CloseHandle(started.hProcess);
    if (started.hThread != nullptr) ::CloseHandle(started.hThread);
    for (int wait = 0; wait < 200 && !done(); ++wait)
        ::Sleep(50);
    return done();
}

bool Exists(const std::string& path) {
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Makes `link` a symbolic link to the folder `target` beside it. Wine 8
// answers CreateSymbolicLinkA with success yet makes nothing; it shows a
// Unix symbolic link as a folder reparse point, so one is made with ln.
bool MakeFolderLink(const std::string& folder, const std::string& link, const std::string& target,
                    std::string* why) {
    const std::string linkPath = folder + "\\" + link;
    ::SetLastError(0xdeadbeef);
    const BOOL made = ::CreateSymbolicLinkA(linkPath.c_str(), (folder + "\\" + target).c_str(),
                                            SYMBOLIC_LINK_FLAG_DIRECTORY);
    const DWORD error = ::GetLastError();
    if (made && Exists(linkPath)) return true;
    *why = "CreateSymbolicLinkA gave " + std::to_string(made) + " but no link, error " +
           std::to_string(error);
    if (RunUnixProgram(folder, "\\\\?\\unix\\bin\\ln -s " + target + " " + link,
                       [&] { return Exists(linkPath); })) {
        return true;
    }
    *why += "; no link from ln either, error " + std::to_string(::GetLastError());
    return false;
}

// Wine removes a Unix link to a folder neither as a folder nor as a file.
void RemoveFolderLink(const std::string& folder, const std::string& link) {
    const std::string linkPath = folder + "\\" + link;
    if (::RemoveDirectoryA(linkPath.c_str()) || ::DeleteFileA(linkPath.c_str())) return;
    RunUnixProgram(folder, "\\\\?\\unix\\bin\\rm -f " + link, [&] { return !Exists(linkPath); });
}

// A folder link is listed as a folder and a reparse point, and is the same
// folder as its target.
TEST(WindowsMachineFiles, SymbolicLinkToFolderIsReparsePoint) {
    ScratchFolder scratch;
    const std::string target = scratch / "target";
    const std::string link = scratch / "link";
    ASSERT_TRUE(::CreateDirectoryA(target.c_str(), nullptr));
    ASSERT_TRUE(WriteWholeFile(target + "\\inside.txt", "x"));
    std::string why;
    if (!MakeFolderLink(scratch.path(), "link", "target", &why)) GTEST_SKIP() << why;
    if (!why.empty()) std::cout << "[   NOTE   ] " << why << "; made with ln instead\n";

    WindowsMachine machine;
    std::vector<FolderEntry> entries;
    EXPECT_TRUE(machine.ListEntries(scratch / "*.*", &entries)) << "error " << ::GetLastError();
    const FolderEntry* linkEntry = Find(entries, "link");
    const FolderEntry* targetEntry = Find(entries, "target");
    ASSERT_NE(linkEntry, nullptr) << Describe(entries);
    ASSERT_NE(targetEntry, nullptr) << Describe(entries);
    EXPECT_TRUE(linkEntry->isFolder) << Describe(entries);
    EXPECT_TRUE(linkEntry->isReparsePoint) << Describe(entries);
    EXPECT_TRUE(targetEntry->isFolder) << Describe(entries);
    EXPECT_FALSE(targetEntry->isReparsePoint) << Describe(entries);

    FolderIdentity throughLink, direct;
    EXPECT_TRUE(machine.IdentifyFolder(link, &throughLink)) << "error " << ::GetLastError();
    EXPECT_TRUE(machine.IdentifyFolder(target, &direct)) << "error " << ::GetLastError();
    EXPECT_EQ(throughLink.volume, direct.volume);
    EXPECT_EQ(throughLink.index, direct.index);

    // Removed here: the scratch folder's clean-up would walk into it.
    RemoveFolderLink(scratch.path(), "link");
    EXPECT_FALSE(machine.FileExists(link)) << "link not removed, error " << ::GetLastError();
    EXPECT_TRUE(machine.FileExists(target + "\\inside.txt"))
        << "removing the link removed the target";
}

// ---------------------------------------------------------------------------
// PathVariable, Windows and system folders, drives

TEST(WindowsMachineEnvironment, PathVariable) {
    ScopedVariable path("PATH");
    const struct {
        const char* what;
        bool present;
        std::string value;
        std::string expected;
    } cases[] = {
        {"plain", true, "C:\\jdk\\bin;C:\\Program Files\\x;;D:\\y;",
         "C:\\jdk\\bin;C:\\Program Files\\x;;D:\\y;"},
        {"one entry", true, "C:\\windows", "C:\\windows"},
        {"absent", false, "", ""},
        {"long", true, std::string(32000, 'p'), std::string(32000, 'p')},
    };
    WindowsMachine machine;
    for (const auto& c : cases) {
        ASSERT_TRUE(c.present ? path.Set(c.value) : path.Remove())
            << c.what << ": cannot set PATH, error " << ::GetLastError();
        const std::string value = machine.PathVariable();
        EXPECT_EQ(value.size(), c.expected.size()) << c.what;
        EXPECT_EQ(value, c.expected) << c.what;
    }
}

// Only 67,599 bytes fit the buffer. Windows takes no variable of more than
// 32,767 characters, and neither does Wine (version 8 even crashes at
// exactly 32,767), so this can only run where longer ones can be set.
TEST(WindowsMachineEnvironment, PathVariableTooLong) {
    ScopedVariable path("PATH");
    const struct {
        size_t length;
        bool fits;
    } cases[] = {{67599, true}, {67600, false}, {100000, false}};
    WindowsMachine machine;
    for (const auto& c : cases) {
        const std::string value(c.length, 'q');
        ::SetLastError(0xdeadbeef);
        if (!path.Set(value) || Variable("PATH").size() != c.length) {
            GTEST_SKIP() << "a PATH of " << c.length << " bytes cannot be set, error "
                         << ::GetLastError();
        }
        const std::string read = machine.PathVariable();
        EXPECT_EQ(read.size(), c.fits ? c.length : 0u) << c.length << " bytes";
    }
}

TEST(WindowsMachineEnvironment, WindowsAndSystemFolders) {
    char buffer[MAX_PATH + 1] = {};
    const UINT windowsLength = ::GetWindowsDirectoryA(buffer, MAX_PATH);
    std::string windows(buffer, windowsLength);
    const UINT systemLength = ::GetSystemDirectoryA(buffer, MAX_PATH);
    std::string system(buffer, systemLength);
    for (std::string* folder : {&windows, &system}) {
        if (!folder->empty() && folder->back() == '\\') folder->pop_back();
    }

    WindowsMachine machine;
    const struct {
        const char* what;
        std::string got;
        std::string expected;
    } cases[] = {
        {"Windows folder", machine.WindowsFolder(), windows},
        {"system folder", machine.SystemFolder(), system},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.got, c.expected) << c.what;
        ASSERT_FALSE(c.got.empty()) << c.what;
        EXPECT_NE(c.got.back(), '\\') << c.what << " '" << c.got << "'";
        EXPECT_TRUE(machine.FileExists(c.got)) << c.what << " '" << c.got << "'";
    }
}

TEST(WindowsMachineEnvironment, IsFixedDrive) {
    const DWORD drives = ::GetLogicalDrives();
    std::string absent;
    for (char letter = 'Z'; letter >= 'D' && absent.empty(); --letter) {
        const std::string root = std::string(1, letter) + ":\\";
        if (!(drives & (1u << (letter - 'A'))) &&
            ::GetDriveTypeA(root.c_str()) == DRIVE_NO_ROOT_DIR) {
            absent = root;
        }
    }
    ASSERT_FALSE(absent.empty()) << "every drive letter is in use: " << std::hex << drives;

    const struct {
        std::string root;
        bool expected;
    } cases[] = {{"C:\\", true}, {"c:\\", true}, {absent, false}};
    WindowsMachine machine;
    for (const auto& c : cases) {
        ::SetLastError(0xdeadbeef);
        const bool fixed = machine.IsFixedDrive(c.root);
        const DWORD error = ::GetLastError();
        EXPECT_EQ(fixed, c.expected)
            << "'" << c.root << "' type " << ::GetDriveTypeA(c.root.c_str()) << " error " << error;
    }
}

// ---------------------------------------------------------------------------
// RunCapturingOutput with the stand-in JVM

// The stand-in JVM: TARNWICK_STAND_IN_JVM when set, else one beside this
// executable, else the one in the build folder. Unix paths are reached
// through Wine's \\?\unix\ prefix, since the prefix has no Z: drive.
std::string StandInJvm() {
    std::string path = Variable("TARNWICK_STAND_IN_JVM");
    if (path.empty()) {
        const std::string beside =
            OwnExePath().substr(0, OwnExePath().find_last_of('\\')) + "\\stand_in_jvm.exe";
        path = ::GetFileAttributesA(beside.c_str()) != INVALID_FILE_ATTRIBUTES
                   ? beside
                   : std::string(TARNWICK_STAND_IN_JVM_BUILT);
    }
    if (!path.empty() && path[0] == '/') {
        for (char& c : path) {
            if (c == '/') c = '\\';
        }
        path = "\\\\?\\unix" + path;
    }
    return path;
}

// Running processes started by this one whose executable has this name.
std::vector<DWORD> ChildrenNamed(const char* name) {
    std::vector<DWORD> children;
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return children;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32First(snapshot, &entry); more;
         more = ::Process32Next(snapshot, &entry)) {
        const std::string exe = entry.szExeFile;
        const std::string file = exe.substr(exe.find_last_of('\\') + 1);
        if (entry.th32ParentProcessID == ::GetCurrentProcessId() &&
            ::lstrcmpiA(file.c_str(), name) == 0) {
            children.push_back(entry.th32ProcessID);
        }
    }
    ::CloseHandle(snapshot);
    return children;
}

struct JvmSettings {
    std::string version = "1.2.2";
    std::string vendorUrl = "http://java.sun.com/";
    std::string mode = "normal";
    std::string extra;  // more lines for jvm.properties
};

// A JVM home with a blank in its path, the stand-in as its bin\<name>, and
// a folder holding Verify.class.
class RunCapturingOutputTest : public testing::Test {
  protected:
    // The children start in the current folder, which under Wine may be a
    // Unix folder they cannot enter; the scratch folder is one they can.
    void SetUp() override {
        savedFolder_.resize(MAX_PATH + 1);
        savedFolder_.resize(::GetCurrentDirectoryA(MAX_PATH, &savedFolder_[0]));
        ASSERT_TRUE(::SetCurrentDirectoryA(scratch_.path().c_str()))
            << "error " << ::GetLastError();
        home_ = scratch_ / "jvm home";
        bin_ = home_ + "\\bin";
        classes_ = scratch_ / "verify classes";
        ASSERT_TRUE(::CreateDirectoryA(home_.c_str(), nullptr));
        ASSERT_TRUE(::CreateDirectoryA(bin_.c_str(), nullptr));
        ASSERT_TRUE(::CreateDirectoryA(classes_.c_str(), nullptr));
        ASSERT_TRUE(WriteWholeFile(classes_ + "\\Verify.class", "\xCA\xFE\xBA\xBE"));
        ASSERT_TRUE(WriteWholeFile(classes_ + "\\Installer.class", "\xCA\xFE\xBA\xBE"));
    }

    // Copies the stand-in into bin as `name`, with these settings.
    std::string Install(const std::string& name, const JvmSettings& settings) {
        const std::string source = StandInJvm();
        const std::string exe = bin_ + "\\" + name;
        if (!::CopyFileA(source.c_str(), exe.c_str(), FALSE)) {
            ADD_FAILURE() << "cannot copy the stand-in JVM from '" << source << "', error "
                          << ::GetLastError();
            return exe;
        }
        const std::string properties = "version=" + settings.version +
                                       "\r\nvendor.url=" + settings.vendorUrl +
                                       "\r\nmode=" + settings.mode + "\r\n" + settings.extra;
        EXPECT_TRUE(WriteWholeFile(bin_ + "\\jvm.properties", properties));
        return exe;
    }

    std::string ClassPath() const { return home_ + "\\lib\\classes.zip;" + classes_; }

    // As the launcher composes a verification run.
    std::string Command(const std::string& exe, const std::string& option,
                        const std::string& className = "Verify") const {
        return Quoted(exe) + "  " + option + " " + Quoted(ClassPath()) + " " + className;
    }

    // What the stand-in prints for the class Verify.
    std::string ExpectedProperties(const JvmSettings& settings, const std::string& classPath,
                                   const std::string& vendor = "Sun Microsystems Inc.") const {
        char current[MAX_PATH + 1] = {};
        const DWORD length = ::GetCurrentDirectoryA(MAX_PATH, current);
        std::string userHome = Variable("USERPROFILE");
        if (userHome.empty()) userHome = "C:\\";
        const std::pair<const char*, std::string> lines[] = {
            {"java.home = ", home_},
            {"java.version = ", settings.version},
            {"java.vendor.url = ", settings.vendorUrl},
            {"java.vendor = ", vendor},
            {"java.class.path = ", classPath},
            {"java.class.version = ", "46.0"},
            {"user.dir = ", std::string(current, length)},
            {"user.language = ", "en"},
            {"user.region = ", "US"},
            {"user.home = ", userHome},
            {"os.name = ", "Windows NT"},
            {"os.version = ", "4.0"},
            {"os.arch  = ", "x86"},
        };
        std::string text;
        for (const auto& line : lines)
            text += line.first + line.second + "\r\n";
        return text;
    }

    void TearDown() override { ::SetCurrentDirectoryA(savedFolder_.c_str()); }

    std::string RecordFile() const { return bin_ + "\\jvm-record.txt"; }

    ScratchFolder scratch_;
    std::string savedFolder_, home_, bin_, classes_;
};

TEST_F(RunCapturingOutputTest, PropertiesAreReadBackExactly) {
    const struct {
        const char* name;
        const char* option;
        JvmSettings settings;
        const char* vendor;
    } cases[] = {
        {"java.exe", "-classpath", {}, "Sun Microsystems Inc."},
        {"jre.exe", "-cp", {"1.1.8", "http://www.ibm.com/java/", "normal", ""}, "IBM Corporation"},
        {"jview.exe",
         "/cp:p",
         {"1.3.0", "http://www.microsoft.com/java/", "normal", ""},
         "Microsoft Corp."},
    };
    WindowsMachine machine;
    for (const auto& c : cases) {
        const std::string exe = Install(c.name, c.settings);
        const std::string command = Command(exe, c.option);
        ::DeleteFileA(RecordFile().c_str());
        std::string output = "stale";
        ::SetLastError(0xdeadbeef);
        const RunOutcome outcome = machine.RunCapturingOutput(command, 4096, &output);
        const DWORD error = ::GetLastError();
        EXPECT_EQ(outcome, RunOutcome::Ended)
            << c.name << ": " << OutcomeName(outcome) << " error " << error;
        EXPECT_EQ(output, ExpectedProperties(c.settings, ClassPath(), c.vendor)) << c.name;
        EXPECT_EQ(ReadWholeFile(RecordFile()), command + "\r\n")
            << c.name << ": the child's command line";
        ::DeleteFileA(exe.c_str());
    }
}

// Without a class-path option the class is looked for in the current folder.
TEST_F(RunCapturingOutputTest, NoClassPathOption) {
    const std::string exe = Install("jview.exe", {});
    ASSERT_TRUE(::SetCurrentDirectoryA(classes_.c_str())) << "error " << ::GetLastError();
    WindowsMachine machine;
    std::string output;
    const std::string command = Quoted(exe) + " Verify";
    const RunOutcome outcome = machine.RunCapturingOutput(command, 4096, &output);
    const std::string expected = ExpectedProperties({}, "");
    EXPECT_EQ(outcome, RunOutcome::Ended) << OutcomeName(outcome);
    EXPECT_EQ(output, expected);
    EXPECT_EQ(ReadWholeFile(RecordFile()), command + "\r\n");
}

TEST_F(RunCapturingOutputTest, RecordFileFromTheEnvironment) {
    ScopedVariable record("TARNWICK_JVM_RECORD");
    const std::string recordFile = scratch_ / "record of runs.txt";
    ASSERT_TRUE(record.Set(recordFile));
    const std::string exe = Install("java.exe", {});
    WindowsMachine machine;
    std::string output;
    const std::string first = Command(exe, "-classpath");
    const std::string second = Command(exe, "-classpath", "Installer");
    EXPECT_EQ(machine.RunCapturingOutput(first, 4096, &output), RunOutcome::Ended);
    EXPECT_EQ(machine.RunCapturingOutput(second, 4096, &output), RunOutcome::Ended);
    EXPECT_EQ(output, "ran Installer\r\n");
    EXPECT_EQ(ReadWholeFile(recordFile), first + "\r\n" + second + "\r\n");
    EXPECT_FALSE(machine.FileExists(RecordFile())) << "recorded beside the exe as well";
}

// Children that print nothing on standard output: they ended, so the run
// counts as ended, with empty output.
TEST_F(RunCapturingOutputTest, NothingOnStandardOutput) {
    const struct {
        const char* what;
        const char* mode;
        const char* className;
    } cases[] = {
        {"silent", "silent", "Verify"},
        {"properties on stderr", "stderr", "Verify"},
        {"exit code 3", "fail", "Verify"},
        {"missing class", "normal", "Missing"},
    };
    WindowsMachine machine;
    for (const auto& c : cases) {
        JvmSettings settings;
        settings.mode = c.mode;
        const std::string exe = Install("java.exe", settings);
        const std::string command = Command(exe, "-classpath", c.className);
        ::DeleteFileA(RecordFile().c_str());
        std::string output = "stale";
        ::SetLastError(0xdeadbeef);
        const RunOutcome outcome = machine.RunCapturingOutput(command, 4096, &output);
        const DWORD error = ::GetLastError();
        EXPECT_EQ(outcome, RunOutcome::Ended)
            << c.what << ": " << OutcomeName(outcome) << " error " << error;
        EXPECT_EQ(output, "") << c.what;
        EXPECT_EQ(ReadWholeFile(RecordFile()), command + "\r\n")
            << c.what << ": did the child run?";
    }
}

// The class is not taken from an archive entry, even when a folder of that
// name holds it.
TEST_F(RunCapturingOutputTest, ArchiveEntriesAreSkipped) {
    const std::string exe = Install("java.exe", {});
    const std::string zipFolder = scratch_ / "classes.zip";
    ASSERT_TRUE(::CreateDirectoryA(zipFolder.c_str(), nullptr));
    ASSERT_TRUE(WriteWholeFile(zipFolder + "\\Other.class", "\xCA\xFE\xBA\xBE"));
    WindowsMachine machine;
    std::string output;
    const std::string command = Quoted(exe) + "  -classpath " + Quoted(zipFolder) + " Other";
    EXPECT_EQ(machine.RunCapturingOutput(command, 4096, &output), RunOutcome::Ended);
    EXPECT_EQ(output, "");
}

TEST_F(RunCapturingOutputTest, OutputIsBoundedButDrained) {
    const struct {
        size_t printed;
        size_t kept;
    } cases[] = {{1000000, 5000}, {1000000, 0}, {100, 5000}, {65536, 65536}};
    WindowsMachine machine;
    for (const auto& c : cases) {
        JvmSettings settings;
        settings.mode = "flood";
        settings.extra = "flood.bytes=" + std::to_string(c.printed) + "\r\n";
        const std::string exe = Install("java.exe", settings);
        std::string output;
        const DWORD start = ::GetTickCount();
        const RunOutcome outcome =
            machine.RunCapturingOutput(Command(exe, "-classpath"), c.kept, &output);
        const DWORD elapsed = ::GetTickCount() - start;
        // Ended at all means the child could write everything: it was drained.
        EXPECT_EQ(outcome, RunOutcome::Ended)
            << c.printed << " printed: " << OutcomeName(outcome) << " after " << elapsed << " ms";
        const size_t expectedSize = std::min(c.printed, c.kept);
        EXPECT_EQ(output.size(), expectedSize) << c.printed << " printed, " << c.kept << " kept";
        size_t wrong = 0;
        while (wrong < output.size() && output[wrong] == static_cast<char>('a' + wrong % 26))
            ++wrong;
        EXPECT_EQ(wrong, output.size()) << "unexpected byte at " << wrong;
    }
}

TEST_F(RunCapturingOutputTest, MaxOutputZeroKeepsNothing) {
    const std::string exe = Install("java.exe", {});
    WindowsMachine machine;
    std::string output = "stale";
    EXPECT_EQ(machine.RunCapturingOutput(Command(exe, "-classpath"), 0, &output),
              RunOutcome::Ended);
    EXPECT_EQ(output, "");
}

TEST(WindowsMachineRun, DefaultTimeLimitIsOneMinute) {
    EXPECT_EQ(kVerificationTimeLimitMs, 60000u);
    EXPECT_EQ(WindowsMachine().verificationTimeLimitMs(), kVerificationTimeLimitMs);
    EXPECT_EQ(WindowsMachine(2000).verificationTimeLimitMs(), 2000u);
}

// A child that never ends, quiet or printing for ever, is ended once the
// limit has passed.
TEST_F(RunCapturingOutputTest, ChildThatNeverEndsIsEndedAtTheLimit) {
    const struct {
        const char* mode;
        size_t kept;
        size_t expectedSize;
    } cases[] = {{"hang", 4096, 0}, {"flood", 4096, 4096}};
    const DWORD limit = 2000;
    WindowsMachine machine(limit);
    for (const auto& c : cases) {
        JvmSettings settings;
        settings.mode = c.mode;
        const std::string exe = Install("java.exe", settings);
        std::string output;
        RunOutcome outcome = RunOutcome::NotStarted;
        const DWORD start = ::GetTickCount();
        std::thread run([&] {
            outcome = machine.RunCapturingOutput(Command(exe, "-classpath"), c.kept, &output);
        });
        // Half-way, the child runs; this also shows the look-up below can see it.
        ::Sleep(limit / 2);
        const std::vector<DWORD> running = ChildrenNamed("java.exe");
        run.join();
        const DWORD elapsed = ::GetTickCount() - start;
        EXPECT_EQ(running.size(), 1u) << c.mode << ": no child seen while it ran";
        EXPECT_EQ(outcome, RunOutcome::TimedOut) << c.mode << ": " << OutcomeName(outcome);
        EXPECT_GE(elapsed, limit - 50) << c.mode << ": returned early";
        EXPECT_LT(elapsed, limit + 8000) << c.mode << ": returned late";
        EXPECT_EQ(output.size(), c.expectedSize) << c.mode;
        const std::vector<DWORD> left = ChildrenNamed("java.exe");
        EXPECT_TRUE(left.empty()) << c.mode << ": child " << (left.empty() ? 0 : left[0])
                                  << " still runs";
    }
}

TEST_F(RunCapturingOutputTest, StartFailure) {
    const std::string exe = Install("java.exe", {});
    const std::string commands[] = {
        Quoted(scratch_ / "missing.exe") + "  -classpath " + Quoted(ClassPath()) + " Verify",
        Quoted(scratch_ / "no folder\\java.exe") + " Verify",
        Quoted(classes_ + "\\Verify.class") + " Verify",  // not an executable
        "",
    };
    WindowsMachine machine;
    for (const auto& command : commands) {
        std::string output = "stale";
        ::SetLastError(0xdeadbeef);
        const RunOutcome outcome = machine.RunCapturingOutput(command, 4096, &output);
        const DWORD error = ::GetLastError();
        EXPECT_EQ(outcome, RunOutcome::NotStarted)
            << "'" << command << "': " << OutcomeName(outcome) << " error " << error;
        EXPECT_EQ(output, "") << command;
    }
}

// The handles this process holds, as the system's handle table lists them
// (GetProcessHandleCount is a stub giving 0 in Wine 8). -1 when unknown.
long CountOwnHandles() {
    struct Entry {
        USHORT process;  // the owner's id, low 16 bits
        USHORT creator;
        BYTE type;
        BYTE flags;
        USHORT handle;
        PVOID object;
        ACCESS_MASK access;
    };
    using Query = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
    // Through void (*)(), the one cast GCC accepts between function types.
    const auto query = reinterpret_cast<Query>(reinterpret_cast<void (*)()>(
        ::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    if (query == nullptr) return -1;
    const ULONG kSystemHandleInformation = 16;
    std::vector<char> buffer(1 << 20);
    ULONG needed = 0;
    while (query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()),
                 &needed) != 0) {
        if (buffer.size() >= (64u << 20)) return -1;
        buffer.resize(buffer.size() * 2);
    }
    const ULONG count = *reinterpret_cast<const ULONG*>(buffer.data());
    const Entry* entries = reinterpret_cast<const Entry*>(buffer.data() + sizeof(PVOID));
    long own = 0;
    for (ULONG i = 0; i < count; ++i) {
        if (entries[i].process == (::GetCurrentProcessId() & 0xFFFF)) ++own;
    }
    return own;
}

// Every operation gives back the handles it took, on success and failure
// paths alike: after many rounds the process holds no more than before.
TEST_F(RunCapturingOutputTest, NoHandlesAreLeft) {
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_LOCAL_MACHINE, kTestKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                                nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const std::string javaHome = "C:\\JRE";
    ::RegSetValueExA(key, "JavaHome", 0, REG_SZ, reinterpret_cast<const BYTE*>(javaHome.c_str()),
                     static_cast<DWORD>(javaHome.size() + 1));
    ::RegCloseKey(key);
    const std::string exe = Install("java.exe", {});
    const std::string hangingExe = bin_ + "\\hanging\\java.exe";
    ASSERT_TRUE(::CreateDirectoryA((bin_ + "\\hanging").c_str(), nullptr));
    ASSERT_TRUE(::CopyFileA(exe.c_str(), hangingExe.c_str(), FALSE));
    ASSERT_TRUE(WriteWholeFile(bin_ + "\\hanging\\jvm.properties", "mode=hang\r\n"));

    WindowsMachine machine(300);
    const auto round = [&] {
        std::string text;
        std::vector<FolderEntry> entries;
        FolderIdentity identity;
        machine.ReadRegistryString(kTestKey, "JavaHome", &text);
        machine.ReadRegistryString(kTestKey, "Absent", &text);
        machine.ReadRegistryString("Software\\TarnwickTest\\Absent", "JavaHome", &text);
        machine.ListEntries(scratch_ / "*.*", &entries);
        machine.ListEntries(scratch_ / "none.*", &entries);
        machine.IdentifyFolder(scratch_.path(), &identity);
        machine.IdentifyFolder(scratch_ / "absent", &identity);
        machine.RunCapturingOutput(Command(exe, "-classpath"), 4096, &text);
        machine.RunCapturingOutput(Quoted(scratch_ / "missing.exe"), 4096, &text);
    };
    round();  // whatever is set up once for good
    const long before = CountOwnHandles();
    if (before <= 0) {
        DeleteKeyTree(HKEY_LOCAL_MACHINE, kTestRoot);
        GTEST_SKIP() << "the handle table cannot be read";
    }
    for (int i = 0; i < 20; ++i)
        round();
    std::string text;
    EXPECT_EQ(machine.RunCapturingOutput(Quoted(hangingExe), 4096, &text), RunOutcome::TimedOut);
    const long after = CountOwnHandles();
    DeleteKeyTree(HKEY_LOCAL_MACHINE, kTestRoot);
    EXPECT_LE(after, before + 2) << "handles before " << before << ", after " << after;
}

}  // namespace
}  // namespace tarnwick::test
