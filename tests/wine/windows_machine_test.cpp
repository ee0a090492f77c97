// WindowsMachine against the real Win32 API: registry values written here,
// scratch folders, and captured runs of this executable as the child.
#include "jvmsearch/win32/windows_machine.h"

#include <gtest/gtest.h>

#include <algorithm>
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
