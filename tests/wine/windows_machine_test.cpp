// WindowsMachine against the real Win32 API: registry values written here,
// scratch folders, the environment of this process, drives, and verification
// runs of the stand-in JVM (stand_in_jvm.exe) copied into a scratch tree.
#include "jvmsearch/win32/windows_machine.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "tests/wine/wine_test_util.h"

namespace tarnwick::test {
namespace {

using RunOutcome = Machine::RunOutcome;

const char* OutcomeName(RunOutcome outcome) {
    if (outcome == RunOutcome::Ended) return "Ended";
    return outcome == RunOutcome::TimedOut ? "TimedOut" : "NotStarted";
}

std::string Variable(const char* name) {
    std::vector<char> buffer(70000);
    const DWORD length = ::GetEnvironmentVariableA(name, buffer.data(), 70000);
    return length > 0 && length < 70000 ? std::string(buffer.data(), length) : std::string();
}

const char kTestRoot[] = "Software\\TarnwickTest";
const char kTestKey[] = "Software\\TarnwickTest\\Java Runtime Environment\\1.2";

// Names sorted, "/" after folders, "@" after reparse points: the order of a
// listing is the file system's and differs between Wine and Windows.
std::string Describe(std::vector<FolderEntry> entries) {
    std::sort(entries.begin(), entries.end(),
              [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
    std::string text;
    for (const auto& entry : entries)
        text += entry.name + (entry.isFolder ? "/" : "") + (entry.isReparsePoint ? "@" : "") + " ";
    return text;
}

// The stand-in JVM: one beside this executable, else the one in the build
// folder, reached through Wine's \\?\unix\ prefix as the prefix has no Z: drive.
std::string StandInJvm() {
    const std::string beside =
        OwnExePath().substr(0, OwnExePath().find_last_of('\\')) + "\\stand_in_jvm.exe";
    if (::GetFileAttributesA(beside.c_str()) != INVALID_FILE_ATTRIBUTES) return beside;
    std::string path = TARNWICK_STAND_IN_JVM_BUILT;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path[0] == '\\' ? "\\\\?\\unix" + path : path;
}

// A registry key for test values, removed afterwards, and a scratch folder
// that is also the current one: children start there, and under Wine the
// folder this process started in may be a Unix folder they cannot enter.
class WindowsMachineTest : public testing::Test {
  protected:
    void SetUp() override {
        ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, kTestRoot);
        savedFolder_.resize(MAX_PATH + 1);
        savedFolder_.resize(::GetCurrentDirectoryA(MAX_PATH, &savedFolder_[0]));
        ASSERT_TRUE(::SetCurrentDirectoryA(scratch_.path().c_str()))
            << "error " << ::GetLastError();
        classes_ = scratch_ / "verify classes";
        ASSERT_TRUE(::CreateDirectoryA(classes_.c_str(), nullptr));
        ASSERT_TRUE(WriteWholeFile(classes_ + "\\Installer.class", "\xCA\xFE\xBA\xBE"));
    }
    void TearDown() override {
        ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, kTestRoot);
        ::SetCurrentDirectoryA(savedFolder_.c_str());
    }

    // Creates the key as needed.
    void SetValue(const std::string& name, DWORD type, const std::string& bytes) {
        ASSERT_EQ(::RegSetKeyValueA(HKEY_LOCAL_MACHINE, kTestKey, name.c_str(), type, bytes.data(),
                                    static_cast<DWORD>(bytes.size())),
                  ERROR_SUCCESS)
            << "value '" << name << "'";
    }

    // The stand-in as "<scratch>\<folder>\java.exe" with these jvm.properties
    // lines; a folder of its own each, so no copy meets an exe still closing.
    std::string Install(const std::string& folder, const std::string& properties) {
        const std::string exe = scratch_ / folder + "\\java.exe";
        ::CreateDirectoryA((scratch_ / folder).c_str(), nullptr);
        EXPECT_TRUE(::CopyFileA(StandInJvm().c_str(), exe.c_str(), FALSE))
            << "cannot copy '" << StandInJvm() << "', error " << ::GetLastError();
        EXPECT_TRUE(WriteWholeFile(scratch_ / folder + "\\jvm.properties", properties + "\r\n"));
        return exe;
    }

    // As the launcher composes a verification run.
    std::string Command(const std::string& exe, const std::string& className = "Installer") const {
        return Quoted(exe) + "  -classpath " + Quoted(classes_) + " " + className;
    }

    ScratchFolder scratch_;
    std::string savedFolder_, classes_;
};

TEST_F(WindowsMachineTest, ReadRegistryString) {
    const std::string nul(1, '\0');
    const struct {
        const char* name;
        DWORD type;
        std::string stored;
        bool expected;
        std::string text;
    } cases[] = {
        {"JavaHome", REG_SZ, "C:\\Program Files\\JRE" + nul, true, "C:\\Program Files\\JRE"},
        {"", REG_SZ, "C:\\default" + nul, true, "C:\\default"},
        // Any type is taken as text, up to its first NUL.
        {"Expand", REG_EXPAND_SZ, "%SystemRoot%\\java" + nul, true, "%SystemRoot%\\java"},
        {"Binary", REG_BINARY, "C:\\bin" + nul + "tail", true, "C:\\bin"},
        {"Dword", REG_DWORD, "AB" + nul + nul, true, "AB"},
        {"Empty", REG_SZ, nul, true, ""},
        {"Fits259", REG_SZ, std::string(259, 'x') + nul, true, std::string(259, 'x')},
        // Fills the whole buffer with no NUL after it.
        {"Binary260", REG_BINARY, std::string(260, 'y'), true, std::string(260, 'y')},
        {"TooLong260", REG_SZ, std::string(260, 'x') + nul, false, ""},
        {"TooLongBinary", REG_BINARY, std::string(300, 'y'), false, ""},
        {"Absent", REG_NONE, "", false, ""},  // not stored at all
    };
    for (const auto& c : cases) {
        if (c.type != REG_NONE) SetValue(c.name, c.type, c.stored);
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
            EXPECT_EQ(text, c.text) << "value '" << c.name << "'";
        }
    }
    std::string text;
    EXPECT_FALSE(machine.ReadRegistryString(std::string(kTestRoot) + "\\Absent", "JavaHome", &text))
        << "a missing key gave '" << text << "'";
}

// Volume and file index tell folders apart whatever their spelling.
TEST_F(WindowsMachineTest, ListEntriesAndIdentifyFolder) {
    const std::string folder = scratch_ / "list";
    for (const std::string& made : {folder, folder + "\\one", folder + "\\two"})
        ASSERT_TRUE(::CreateDirectoryA(made.c_str(), nullptr)) << made;
    ASSERT_TRUE(WriteWholeFile(folder + "\\java.exe", "MZ"));
    const struct {
        std::string pattern;
        bool listed;
        const char* entries;
    } lists[] = {
        {folder + "\\*.*", true, "./ ../ java.exe one/ two/ "},
        {folder + "\\jre.exe", false, ""},
    };
    WindowsMachine machine;
    for (const auto& c : lists) {
        std::vector<FolderEntry> entries(2);  // whatever was there before goes
        ::SetLastError(0xdeadbeef);
        const bool listed = machine.ListEntries(c.pattern, &entries);
        const DWORD error = ::GetLastError();
        EXPECT_EQ(listed, c.listed) << "'" << c.pattern << "' error " << error;
        EXPECT_EQ(Describe(entries), c.entries) << "'" << c.pattern << "'";
    }

    FolderIdentity one;
    ASSERT_TRUE(machine.IdentifyFolder(folder + "\\one", &one)) << "error " << ::GetLastError();
    const struct {
        std::string path;
        bool identified;
        bool sameAsOne;
    } identities[] = {
        {folder + "\\ONE", true, true},
        {folder + "\\two\\..\\one", true, true},
        {folder + "\\two", true, false},
        {folder, true, false},
        {folder + "\\three", false, false},
        {"", false, false},
    };
    for (const auto& c : identities) {
        FolderIdentity identity;
        ::SetLastError(0xdeadbeef);
        const bool identified = machine.IdentifyFolder(c.path, &identity);
        const DWORD error = ::GetLastError();
        EXPECT_EQ(identified, c.identified) << "'" << c.path << "' error " << error;
        if (!identified) continue;
        EXPECT_EQ(identity.volume == one.volume && identity.index == one.index, c.sameAsOne)
            << "'" << c.path << "' index " << identity.index << ", one's " << one.index;
    }
}

// Runs a Unix program the way Wine starts one, in `folder`, until `done`.
// Wine gives no process handle that can be waited on for a Unix program.
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
    for (int wait = 0; wait < 200 && !done(); ++wait) ::Sleep(50);
    return done();
}

// Wine 8 answers CreateSymbolicLinkA with success yet makes nothing; it shows
// a Unix symbolic link as a folder reparse point, so one is made with ln.
TEST_F(WindowsMachineTest, FolderLinkIsReparsePointWithItsTargetsIdentity) {
    const std::string folder = scratch_ / "links";
    const std::string link = folder + "\\link";
    ASSERT_TRUE(::CreateDirectoryA(folder.c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryA((folder + "\\target").c_str(), nullptr));
    // Not empty, so that removing the link cannot remove the target instead.
    ASSERT_TRUE(WriteWholeFile(folder + "\\target\\inside.txt", "x"));
    WindowsMachine machine;
    const auto linked = [&] { return machine.FileExists(link); };
    ::SetLastError(0xdeadbeef);
    const BOOL made = ::CreateSymbolicLinkA(link.c_str(), (folder + "\\target").c_str(),
                                            SYMBOLIC_LINK_FLAG_DIRECTORY);
    const DWORD error = ::GetLastError();
    if (!linked() && !RunUnixProgram(folder, "\\\\?\\unix\\bin\\ln -s target link", linked)) {
        GTEST_SKIP() << "no folder link: CreateSymbolicLinkA gave " << made << ", error " << error
                     << "; ln failed too";
    }

    // A scan descends into neither: the link is a reparse point, and it is
    // the very folder it points to.
    std::vector<FolderEntry> entries;
    EXPECT_TRUE(machine.ListEntries(folder + "\\*.*", &entries)) << "error " << ::GetLastError();
    EXPECT_EQ(Describe(entries), "./ ../ link/@ target/ ");
    FolderIdentity throughLink, direct;
    EXPECT_TRUE(machine.IdentifyFolder(link, &throughLink)) << "error " << ::GetLastError();
    EXPECT_TRUE(machine.IdentifyFolder(folder + "\\target", &direct))
        << "error " << ::GetLastError();
    EXPECT_EQ(throughLink.volume, direct.volume);
    EXPECT_EQ(throughLink.index, direct.index);

    // Removed here, or the scratch folder's clean-up would walk into it.
    // Wine removes a Unix link to a folder neither as a folder nor as a file.
    if (!::RemoveDirectoryA(link.c_str()) && !::DeleteFileA(link.c_str()))
        RunUnixProgram(folder, "\\\\?\\unix\\bin\\rm -f link", [&] { return !linked(); });
    EXPECT_FALSE(linked()) << "link not removed";
    EXPECT_TRUE(machine.FileExists(folder + "\\target\\inside.txt")) << "the target went too";
}

// An absent PATH, or one too long for the buffer, reads as empty.
TEST_F(WindowsMachineTest, PathVariable) {
    const bool had = ::GetEnvironmentVariableA("PATH", nullptr, 0) > 0;
    const std::string saved = Variable("PATH");
    const struct {
        const char* what;
        bool present;
        std::string value;
        bool kept;
    } cases[] = {
        {"plain", true, "C:\\jdk\\bin;C:\\Program Files\\x;;D:\\y;", true},
        {"absent", false, "", true},
        {"32000 bytes", true, std::string(32000, 'p'), true},
        // Windows takes no variable of more than 32,767 characters, nor does
        // Wine (version 8 even crashes at exactly that): these need a system
        // that does.
        {"67599 bytes, the most that fits", true, std::string(67599, 'q'), true},
        {"67600 bytes", true, std::string(67600, 'q'), false},
    };
    WindowsMachine machine;
    for (const auto& c : cases) {
        ::SetEnvironmentVariableA("PATH", c.present ? c.value.c_str() : nullptr);
        if (Variable("PATH") != c.value) {
            std::cout << "[   NOTE   ] PATH " << c.what << " cannot be set here\n";
            continue;
        }
        const std::string read = machine.PathVariable();
        EXPECT_TRUE(read == (c.kept ? c.value : ""))
            << c.what << ": read " << read.size() << " bytes";
    }
    ::SetEnvironmentVariableA("PATH", had ? saved.c_str() : nullptr);
}

TEST_F(WindowsMachineTest, FoldersAndDrives) {
    WindowsMachine machine;
    for (const std::string& folder : {machine.WindowsFolder(), machine.SystemFolder()}) {
        EXPECT_TRUE(!folder.empty() && folder.back() != '\\' && machine.FileExists(folder))
            << "'" << folder << "'";
    }
    std::string absent;
    for (char letter = 'Z'; letter >= 'D' && absent.empty(); --letter) {
        const std::string root = std::string(1, letter) + ":\\";
        if (::GetDriveTypeA(root.c_str()) == DRIVE_NO_ROOT_DIR) absent = root;
    }
    ASSERT_FALSE(absent.empty()) << "every drive letter is in use";
    for (const std::string& root : {std::string("C:\\"), absent}) {
        ::SetLastError(0xdeadbeef);
        const bool fixed = machine.IsFixedDrive(root);
        const DWORD error = ::GetLastError();
        EXPECT_EQ(fixed, root == "C:\\")
            << "'" << root << "' type " << ::GetDriveTypeA(root.c_str()) << " error " << error;
    }
}

// What the stand-in floods standard output with: byte n is 'a' + n % 26.
std::string Letters(size_t count) {
    std::string text;
    for (size_t n = 0; n < count; ++n) text += static_cast<char>('a' + n % 26);
    return text;
}

TEST_F(WindowsMachineTest, RunsThatEnd) {
    const struct {
        const char* what;
        const char* properties;
        const char* className;
        size_t kept;
        std::string expected;
    } cases[] = {
        {"short output", "mode=normal", "Installer", 4096, "ran Installer\r\n"},
        // Its complaint goes to standard error, which is not captured; its
        // exit code 1 plays no part.
        {"missing class", "mode=normal", "Missing", 4096, ""},
        // Read to the end though not kept: a child on a full pipe never ends.
        {"flood, 5000 kept", "mode=flood\r\nflood.bytes=1000000", "Installer", 5000, Letters(5000)},
        {"flood, none kept", "mode=flood\r\nflood.bytes=1000000", "Installer", 0, ""},
    };
    WindowsMachine machine;
    int row = 0;
    for (const auto& c : cases) {
        const std::string folder = "jvm " + std::to_string(++row);
        const std::string exe = Install(folder, c.properties);
        const std::string command = Command(exe, c.className);
        std::string output = "stale";
        const DWORD start = ::GetTickCount();
        ::SetLastError(0xdeadbeef);
        const RunOutcome outcome = machine.RunCapturingOutput(command, c.kept, &output);
        const DWORD error = ::GetLastError();
        EXPECT_EQ(outcome, RunOutcome::Ended) << c.what << ": " << OutcomeName(outcome) << " after "
                                              << ::GetTickCount() - start << " ms, error " << error;
        EXPECT_TRUE(output == c.expected)
            << c.what << ": " << output.size() << " bytes '" << output.substr(0, 40) << "'";
        EXPECT_EQ(ReadWholeFile(scratch_ / folder + "\\jvm-record.txt"), command + "\r\n")
            << c.what << ": the child's command line";
    }
}

struct HandleEntry {
    USHORT process;  // the owner's id, low 16 bits
    USHORT creator;
    BYTE type;
    BYTE flags;
    USHORT handle;
    PVOID object;
    ACCESS_MASK access;
};

// A process's handles as the system's handle table lists them
// (GetProcessHandleCount is a stub giving 0 in Wine 8); none when unknown.
std::vector<HandleEntry> HandlesOf(DWORD process) {
    using Query = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
    // Through void (*)(), the one cast GCC accepts between function types.
    const auto query = reinterpret_cast<Query>(reinterpret_cast<void (*)()>(
        ::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    std::vector<HandleEntry> found;
    if (query == nullptr) return found;
    const ULONG kSystemHandleInformation = 16;
    std::vector<char> buffer(1 << 20);
    ULONG needed = 0;
    while (query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()),
                 &needed) != 0) {
        if (buffer.size() >= (64u << 20)) return found;
        buffer.resize(buffer.size() * 2);
    }
    const ULONG count = *reinterpret_cast<const ULONG*>(buffer.data());
    const auto* entries = reinterpret_cast<const HandleEntry*>(buffer.data() + sizeof(PVOID));
    for (ULONG i = 0; i < count; ++i) {
        if (entries[i].process == (process & 0xFFFF)) found.push_back(entries[i]);
    }
    return found;
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
        if (entry.th32ParentProcessID == ::GetCurrentProcessId() &&
            SamePath(exe.substr(exe.find_last_of('\\') + 1), name)) {
            children.push_back(entry.th32ProcessID);
        }
    }
    ::CloseHandle(snapshot);
    return children;
}

// A child that never ends, quiet or printing for ever, is ended once the
// limit has passed.
TEST_F(WindowsMachineTest, ChildThatNeverEndsIsEndedAtTheLimit) {
    const struct {
        const char* mode;
        size_t expectedSize;
    } cases[] = {{"hang", 0}, {"flood", 4096}};
    const DWORD limit = 2000;
    WindowsMachine machine(limit);
    for (const auto& c : cases) {
        const std::string exe =
            Install(std::string("jvm ") + c.mode, std::string("mode=") + c.mode);
        std::string output;
        RunOutcome outcome = RunOutcome::NotStarted;
        const DWORD start = ::GetTickCount();
        std::vector<HandleEntry> probe;
        std::thread run([&] {
            // A new handle takes a slot just freed: the run's pipe gets the
            // values of this one, though maybe with its ends swapped.
            HANDLE ends[2];
            ::CreatePipe(&ends[0], &ends[1], nullptr, 0);
            const std::vector<HandleEntry> mine = HandlesOf(::GetCurrentProcessId());
            for (HANDLE end : ends) {
                for (const HandleEntry& entry : mine) {
                    if (entry.handle == LOWORD(end)) probe.push_back(entry);  // read end first
                }
            }
            ::CloseHandle(ends[0]);
            ::CloseHandle(ends[1]);
            outcome = machine.RunCapturingOutput(Command(exe), 4096, &output);
        });
        // Half-way, the child runs; this also shows the look-up below can see it.
        ::Sleep(limit / 2);
        const std::vector<DWORD> running = ChildrenNamed("java.exe");
        // Of the two ends, the child holds its standard output only.
        std::string held = probe.size() == 2 ? "" : "unknown";
        for (const HandleEntry& its : HandlesOf(running.empty() ? 0 : running[0])) {
            for (size_t end = 0; end < probe.size() && held != "unknown"; ++end) {
                if ((its.handle == probe[0].handle || its.handle == probe[1].handle) &&
                    its.access == probe[end].access && its.type == probe[end].type) {
                    held += end == 0 ? "read " : "write ";
                }
            }
        }
        run.join();
        EXPECT_EQ(held, "write ") << c.mode << ": the pipe's ends in the child";
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

TEST_F(WindowsMachineTest, StartFailure) {
    const std::string commands[] = {
        Quoted(scratch_ / "missing.exe") + "  -classpath " + Quoted(classes_) + " Verify",
        Quoted(classes_ + "\\Installer.class") + " Verify",  // not an executable
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

// Every operation gives back the handles it took, on success and failure
// paths alike: after many rounds the process holds no more than before.
TEST_F(WindowsMachineTest, NoHandlesAreLeft) {
    SetValue("JavaHome", REG_SZ, std::string("C:\\JRE", 7));
    const std::string exe = Install("jvm home", "mode=normal");
    const std::string hangingExe = Install("jvm hang", "mode=hang");
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
        machine.RunCapturingOutput(Command(exe), 4096, &text);
        machine.RunCapturingOutput(Quoted(scratch_ / "missing.exe"), 4096, &text);
    };
    round();  // whatever is set up once for good
    const long before = static_cast<long>(HandlesOf(::GetCurrentProcessId()).size());
    if (before <= 0) GTEST_SKIP() << "the handle table cannot be read";
    for (int i = 0; i < 20; ++i) round();
    std::string text;
    EXPECT_EQ(machine.RunCapturingOutput(Quoted(hangingExe), 4096, &text), RunOutcome::TimedOut);
    const long after = static_cast<long>(HandlesOf(::GetCurrentProcessId()).size());
    EXPECT_LE(after, before + 2) << "handles before " << before << ", after " << after;
}

}  // namespace
}  // namespace tarnwick::test
