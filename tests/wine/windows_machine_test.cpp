// WindowsMachine against the real Win32 API: registry values written here,
// scratch folders, and captured runs of this executable as the child.
#include "jvmsearch/win32/windows_machine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "tests/wine/wine_test_util.h"

namespace tarnwick::test {
namespace {

// Any type is taken as text, up to its first NUL, if it fits 260 bytes.
TEST(WindowsMachine, ReadRegistryString) {
    const char* key = "Software\\TarnwickTest\\Java Runtime Environment\\1.2";
    const std::string nul(1, '\0'), x259(259, 'x'), y260(260, 'y'), no = "<not read>";
    const struct { const char* name; DWORD type; std::string stored, text; } cases[] = {
        {"JavaHome", REG_SZ, "C:\\Program Files\\JRE" + nul, "C:\\Program Files\\JRE"}, {"", REG_SZ, "C:" + nul, "C:"},
        {"Binary", REG_BINARY, "C:\\bin" + nul + "tail", "C:\\bin"}, {"Dword", REG_DWORD, "AB" + nul + nul, "AB"},
        {"Empty", REG_SZ, nul, ""}, {"Fits259", REG_SZ, x259 + nul, x259}, {"Binary260", REG_BINARY, y260, y260},
        {"TooLong260", REG_SZ, "x" + x259 + nul, no}, {"TooLong300", REG_BINARY, y260 + x259.substr(0, 40), no},
        {"Absent", REG_NONE, "", no}};
    WindowsMachine machine;
    for (const auto& c : cases) {
        if (c.type != REG_NONE)
            ::RegSetKeyValueA(HKEY_LOCAL_MACHINE, key, c.name, c.type, c.stored.data(), c.stored.size());
        std::string text = "untouched";
        EXPECT_EQ(machine.ReadRegistryString(key, c.name, &text) ? text : no, c.text) << "value '" << c.name << "'";
    }
    std::string text;
    EXPECT_FALSE(machine.ReadRegistryString("Software\\TarnwickTest\\Absent", "JavaHome", &text)) << text;
    ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\TarnwickTest");
}

// Today's keys: each view read apart (a key written in one is not seen in
// the other), subkeys in the registry's order, text values only.
TEST(WindowsMachine, ReadsTodaysRegistryInEachView) {
    WindowsMachine machine;
    const std::vector<RegistryView> views = machine.RegistryViews();
    const bool both = views.size() == 2;
    EXPECT_TRUE(both ? views[0] == RegistryView::Bits64 && views[1] == RegistryView::Bits32
                     : views[0] == RegistryView::Default) << views.size() << " views";
    const char* key = "Software\\TarnwickTest\\JDK";
    const std::string nul(1, '\0'), long1025(1025, 'x');
    const struct { RegistryRoot root; REGSAM view; const char* sub; const char* name; DWORD type; std::string stored; } writes[] = {
        {RegistryRoot::LocalMachine, KEY_WOW64_64KEY, "21.0.1", "JavaHome", REG_SZ, "C:\\jdk-21" + nul},
        {RegistryRoot::LocalMachine, KEY_WOW64_64KEY, "17.0.9", "JavaHome", REG_EXPAND_SZ, "C:\\jdk-17"},
        {RegistryRoot::LocalMachine, KEY_WOW64_64KEY, "17.0.9", "Dword", REG_DWORD, "ABCD"},
        {RegistryRoot::LocalMachine, KEY_WOW64_64KEY, "17.0.9", "Long", REG_SZ, long1025 + nul},
        {RegistryRoot::LocalMachine, KEY_WOW64_32KEY, "11.0.2", "JavaHome", REG_SZ, "C:\\x86\\jdk-11" + nul},
        {RegistryRoot::CurrentUser, KEY_WOW64_64KEY, "22", "JavaHome", REG_SZ, "C:\\u\\jdk-22" + nul}};
    for (const auto& w : writes) {
        HKEY created = nullptr;
        const std::string path = std::string(key) + "\\" + w.sub;
        ASSERT_EQ(::RegCreateKeyExA(w.root == RegistryRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER,
                                    path.c_str(), 0, nullptr, 0, KEY_WRITE | w.view, nullptr, &created, nullptr), ERROR_SUCCESS) << path;
        ::RegSetValueExA(created, w.name, 0, w.type, reinterpret_cast<const BYTE*>(w.stored.data()), DWORD(w.stored.size()));
        ::RegCloseKey(created);
    }
    const RegistryView v64 = both ? RegistryView::Bits64 : RegistryView::Default, v32 = both ? RegistryView::Bits32 : v64;
    std::vector<std::string> names;
    const auto Join = [](const std::vector<std::string>& parts) {
        std::string text;
        for (const std::string& part : parts) text += (text.empty() ? "" : " ") + part;
        return text;
    };
    EXPECT_TRUE(machine.ListRegistrySubkeys(RegistryRoot::LocalMachine, v64, key, &names));
    EXPECT_EQ(Join(names), both ? "17.0.9 21.0.1" : "11.0.2 17.0.9 21.0.1");
    EXPECT_TRUE(machine.ListRegistrySubkeys(RegistryRoot::LocalMachine, v32, key, &names));
    EXPECT_EQ(Join(names), both ? "11.0.2" : "11.0.2 17.0.9 21.0.1");
    EXPECT_TRUE(machine.ListRegistrySubkeys(RegistryRoot::CurrentUser, v64, key, &names) && Join(names) == "22") << Join(names);
    EXPECT_FALSE(machine.ListRegistrySubkeys(RegistryRoot::LocalMachine, v64, "Software\\TarnwickTest\\None", &names));
    const struct { RegistryView view; const char* sub; const char* name; std::string text; } reads[] = {
        {v64, "21.0.1", "JavaHome", "C:\\jdk-21"}, {v64, "17.0.9", "JavaHome", "C:\\jdk-17"}, {v64, "17.0.9", "Dword", "<not read>"},
        {v64, "17.0.9", "Long", "<not read>"}, {v32, "11.0.2", "JavaHome", "C:\\x86\\jdk-11"},
        {v32, "21.0.1", "JavaHome", both ? "<not read>" : "C:\\jdk-21"}};
    for (const auto& r : reads) {
        std::string text;
        const bool read = machine.ReadRegistryText(RegistryRoot::LocalMachine, r.view, std::string(key) + "\\" + r.sub, r.name, &text);
        EXPECT_EQ(read ? text : "<not read>", r.text) << r.sub << " " << r.name;
    }
    for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
        HKEY software = nullptr;
        if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, KEY_ALL_ACCESS | view, &software) != ERROR_SUCCESS) continue;
        ::RegDeleteTreeA(software, "TarnwickTest");
        ::RegCloseKey(software);
    }
    ::RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\TarnwickTest");
    ::SetEnvironmentVariableA("TARNWICK_TEST_HOME", "C:\\jdk");
    EXPECT_EQ(machine.EnvironmentVariable("TARNWICK_TEST_HOME"), "C:\\jdk");
    EXPECT_EQ(machine.EnvironmentVariable("TARNWICK_TEST_ABSENT"), "");
}

// Listings mark folders "/" and reparse points "@": the drive scan enters no
// link, nor a folder it has seen, known by volume and file index whatever the
// spelling. Wine 8 answers CreateSymbolicLinkA with success and makes
// nothing; it shows a Unix link as a folder reparse point, so ln makes one.
TEST(WindowsMachine, ListsEntriesAndIdentifiesFolders) {
    ScratchFolder scratch;
    WindowsMachine machine;
    for (const char* folder : {"one", "two", "two\\in"}) ::CreateDirectoryA((scratch / folder).c_str(), nullptr);
    ASSERT_TRUE(WriteWholeFile(scratch / "java.exe", "MZ"));
    ::CreateSymbolicLinkA((scratch / "link").c_str(), (scratch / "two").c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY);
    const auto linked = [&] { return Exists(scratch / "link"); };
    const bool link = linked() || RunUnix("ln -s two link", scratch, linked);
    if (!link) std::cout << "[   NOTE   ] no folder link can be made here: its cases are left out\n";
    // "#": a folder listed with its index, the one its identity has.
    const std::string all = std::string("./# ../# java.exe ") + (link ? "link/@ " : "") + "one/# two/# ";
    for (const char* pattern : {"*.*", "jre.exe"}) {
        std::vector<FolderEntry> entries(2);  // whatever was there goes
        std::string got = machine.ListEntries(scratch / pattern, &entries) ? "" : "<none>";
        std::sort(entries.begin(), entries.end(), [](auto& a, auto& b) { return a.name < b.name; });
        for (const auto& e : entries) {
            FolderIdentity self;
            const bool same = machine.IdentifyFolder(scratch / e.name, &self) && self.index == e.fileIndex;
            got += e.name + (e.isFolder ? "/" : "") + (e.isReparsePoint ? "@" : "") +
                   (e.fileIndex == 0 ? " " : same ? "# " : "?" + std::to_string(e.fileIndex) + " ");
        }
        EXPECT_EQ(got, *pattern == '*' ? all : "<none>") << pattern;
    }
    FolderIdentity one, two, id;
    EXPECT_TRUE(machine.IdentifyFolder(scratch / "one", &one) && machine.IdentifyFolder(scratch / "two", &two));
    const auto is = [&](const FolderIdentity& o) { return id.volume == o.volume && id.index == o.index; };
    for (const auto& [path, want] : {std::pair<std::string, std::string>{scratch / "ONE", "one"},
                                     {scratch / "two\\..\\one", "one"}, {scratch / "two", "two"},
                                     {scratch / "two\\in", "other"}, {scratch.path, "other"}, {scratch / "3", "none"},
                                     {scratch / "link", link ? "two" : "none"}, {"", "none"}}) {
        const bool identified = machine.IdentifyFolder(path, &id);
        EXPECT_EQ(!identified ? "none" : is(one) ? "one" : is(two) ? "two" : "other", want) << "'" << path << "'";
    }
    // Wine removes a Unix link to a folder neither as a folder nor as a file.
    if (link && !::RemoveDirectoryA((scratch / "link").c_str())) RunUnix("rm link", scratch, [&] { return !linked(); });
    EXPECT_TRUE(!linked() && Exists(scratch / "two\\in")) << "the link stayed, or its target went too";
}

// A folder that is a fixed drive's root is listed without its index, so the
// scan asks it on its own: Wine may give it that drive's volume, and the
// drive's own scan must then know it as seen. The drive is a Unix link in
// the prefix's dosdevices, as Wine keeps its drives.
TEST(WindowsMachine, ListsADriveRootInsideAnotherDriveWithoutItsIndex) {
    ScratchFolder scratch;
    for (const char* folder : {"one", "two"}) ::CreateDirectoryA((scratch / folder).c_str(), nullptr);
    using UnixName = char*(CDECL*)(const WCHAR*);
    const auto unixName = reinterpret_cast<UnixName>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    const char* prefix = std::getenv("WINEPREFIX");
    // A free letter only: the link is removed at the end.
    char letter = 'Y';
    while (letter >= 'F' && (::GetLogicalDrives() & (1u << (letter - 'A')))) --letter;
    const std::wstring two(std::filesystem::path(scratch / "two").wstring());
    std::string target;
    if (char* name = unixName != nullptr ? unixName(two.c_str()) : nullptr) {
        target = name;
        ::HeapFree(::GetProcessHeap(), 0, name);
    }
    const std::string drive = std::string(1, letter) + ":\\";
    const std::string link =
        std::string(prefix != nullptr ? prefix : "") + "/dosdevices/" + char(letter - 'A' + 'a') + ":";
    const auto fixed = [&] { return ::GetDriveTypeA(drive.c_str()) == DRIVE_FIXED; };
    const bool letterFree = letter >= 'F';
    if (!letterFree || target.empty() || prefix == nullptr || !RunUnix("ln -s " + target + " " + link, scratch, fixed)) {
        if (letterFree && prefix != nullptr) RunUnix("rm -f " + link, scratch, [] { return true; });
        std::cout << "[   NOTE   ] no drive can be mapped to a folder here: left out\n";
        return;
    }
    WindowsMachine machine;  // reads the fixed drives' roots once
    std::vector<FolderEntry> entries;
    std::string got = machine.ListEntries(scratch / "*.*", &entries) ? "" : "<none>";
    std::sort(entries.begin(), entries.end(), [](auto& a, auto& b) { return a.name < b.name; });
    for (const auto& e : entries) {
        if (e.name == "one" || e.name == "two") got += e.name + (e.fileIndex != 0 ? "# " : " ");
    }
    RunUnix("rm " + link, scratch, [&] { return !fixed(); });
    EXPECT_EQ(got, "one# two ") << "#: listed with its index; two is " << drive;
}

// The child's output is read to the end and kept up to the size given; a
// child that never ends, quiet or printing for ever, is ended at the limit;
// no run leaves a handle open.
TEST(WindowsMachine, RunCapturingOutput) {
    const std::string self = Quoted(OwnExePath()) + " --child ", outcomes[] = {"NotStarted", "Ended", "TimedOut"};
    const struct { std::string command; DWORD limitMs; size_t kept; std::string outcome, output; } cases[] = {
        {self + "flood 1000000", 20000, 5000, "Ended", Letters(5000)},
        {self + "flood 1000000", 20000, 0, "Ended", ""},
        {self + "flood 0", 2000, 4096, "TimedOut", Letters(4096)},
        {self + "pid sleep 60000", 2000, 100, "TimedOut", "<the id of a process that has ended>"},
        {Quoted(TempFolder() + "tw_missing.exe"), 20000, 100, "NotStarted", ""},
        {"", 20000, 100, "NotStarted", ""}};
    // Wine counts no handles: the first free handle values tell a leak.
    const auto freeHandles = [] {
        std::vector<HANDLE> events(32);
        for (HANDLE& e : events) e = ::CreateEventA(nullptr, FALSE, FALSE, nullptr);
        for (HANDLE e : events) ::CloseHandle(e);
        return events;
    };
    const std::vector<HANDLE> before = freeHandles();
    for (const auto& c : cases) {
        std::string output = "stale";
        const DWORD start = ::GetTickCount();
        const auto outcome = outcomes[int(WindowsMachine(c.limitMs).RunCapturingOutput(c.command, c.kept, &output))];
        const DWORD elapsed = ::GetTickCount() - start;
        EXPECT_EQ(outcome, c.outcome) << c.command << " after " << elapsed << " ms";
        EXPECT_TRUE(outcome != "TimedOut" || (elapsed >= c.limitMs - 50 && elapsed < c.limitMs + 8000)) << elapsed;
        if (c.output[0] == '<') {
            HANDLE child = ::OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, std::strtoul(output.c_str(), 0, 10));
            EXPECT_TRUE(!output.empty() && (!child || ::WaitForSingleObject(child, 0) == WAIT_OBJECT_0))
                << c.command << ": the child '" << output << "' still runs";
            if (child) ::TerminateProcess(child, 1), ::CloseHandle(child);
        } else {
            EXPECT_TRUE(output == c.output) << c.command << ": " << output.size() << " bytes '" << output.substr(0, 40);
        }
    }
    EXPECT_TRUE(freeHandles() == before) << "the runs left handles open";
}

}  // namespace
}  // namespace tarnwick::test
