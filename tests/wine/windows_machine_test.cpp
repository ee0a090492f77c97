// WindowsMachine against the real Win32 API: registry values written here,
// scratch folders, and captured runs of this executable started again with
// "--child ..." (see wine_test_main.cpp).
#include "jvmsearch/windows_machine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "tests/wine/wine_test_util.h"

namespace tarnwick::test {
namespace {

const char kKey[] = "Software\\TarnwickTest\\Java Runtime Environment\\1.2";

// Any type is taken as text, up to its first NUL, if it fits 260 bytes.
TEST(WindowsMachine, ReadRegistryString) {
    const std::string nul(1, '\0'), x259(259, 'x'), y260(260, 'y'), no = "<not read>";
    const struct { const char* name; DWORD type; std::string stored, text; } cases[] = {
        {"JavaHome", REG_SZ, "C:\\Program Files\\JRE" + nul, "C:\\Program Files\\JRE"}, {"", REG_SZ, "C:\\d" + nul, "C:\\d"},
        {"Binary", REG_BINARY, "C:\\bin" + nul + "tail", "C:\\bin"}, {"Dword", REG_DWORD, "AB" + nul + nul, "AB"},
        {"Empty", REG_SZ, nul, ""}, {"Fits259", REG_SZ, x259 + nul, x259}, {"Binary260", REG_BINARY, y260, y260},
        {"TooLong260", REG_SZ, "x" + x259 + nul, no}, {"TooLong300", REG_BINARY, y260 + x259.substr(0, 40), no},
        {"Absent", REG_NONE, "", no}};
    WindowsMachine machine;
    for (const auto& c : cases) {
        if (c.type != REG_NONE) ::RegSetKeyValueA(HKEY_LOCAL_MACHINE, kKey, c.name, c.type, c.stored.data(), c.stored.size());
        std::string text = "untouched";
        EXPECT_EQ(machine.ReadRegistryString(kKey, c.name, &text) ? text : no, c.text) << "value '" << c.name << "'";
    }
    std::string text;
    EXPECT_FALSE(machine.ReadRegistryString("Software\\TarnwickTest\\Absent", "JavaHome", &text)) << text;
    ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\TarnwickTest");
}

// Wine starts a Unix program without a handle to wait on: its effect is awaited.
bool RunUnix(const ScratchFolder& folder, std::string line, const std::function<bool()>& done) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    if (::CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, folder.path.c_str(), &startup, &started))
        for (int wait = 0; wait < 200 && !done(); ++wait) ::Sleep(50);
    if (started.hProcess) ::CloseHandle(started.hProcess), ::CloseHandle(started.hThread);
    return done();
}

// Listings mark folders "/" and reparse points "@": the drive scan enters no
// link, nor a folder it has seen, which it knows by volume and file index
// whatever the spelling. Wine 8 answers CreateSymbolicLinkA with success and
// makes nothing, and shows a Unix link as a folder reparse point.
TEST(WindowsMachine, ListsEntriesAndIdentifiesFolders) {
    ScratchFolder scratch;
    WindowsMachine machine;
    for (const char* folder : {"one", "two", "two\\in"}) ::CreateDirectoryA((scratch / folder).c_str(), nullptr);
    ASSERT_TRUE(WriteWholeFile(scratch / "java.exe", "MZ"));
    ::CreateSymbolicLinkA((scratch / "link").c_str(), (scratch / "two").c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY);
    const auto linked = [&] { return Exists(scratch / "link"); };
    const bool link = linked() || RunUnix(scratch, "\\\\?\\unix\\bin\\ln -s two link", linked);
    if (!link) std::cout << "[   NOTE   ] no folder link can be made here: its cases are left out\n";
    for (const auto& [pattern, want] : {std::pair<std::string, std::string>{"*.*", "./ ../ java.exe one/ two/ "},
                                        {"jre.exe", "<none> "}}) {
        std::vector<FolderEntry> entries(2);  // whatever was there goes
        std::string got = machine.ListEntries(scratch / pattern, &entries) ? "" : "<none> ";
        std::sort(entries.begin(), entries.end(), [](auto& a, auto& b) { return a.name < b.name; });
        for (const auto& e : entries) got += e.name + (e.isFolder ? "/" : "") + (e.isReparsePoint ? "@ " : " ");
        EXPECT_EQ(got, link && pattern == "*.*" ? "./ ../ java.exe link/@ one/ two/ " : want) << pattern;
    }
    FolderIdentity one, two, id;
    ASSERT_TRUE(machine.IdentifyFolder(scratch / "one", &one) && machine.IdentifyFolder(scratch / "two", &two));
    const auto is = [&](const FolderIdentity& o) { return id.volume == o.volume && id.index == o.index; };
    for (const auto& [path, want] : {std::pair<std::string, std::string>{scratch / "ONE", "one"},
                                     {scratch / "two\\..\\one", "one"}, {scratch / "two", "two"},
                                     {scratch / "two\\in", "other"}, {scratch.path, "other"},
                                     {scratch / "link", link ? "two" : "none"}, {scratch / "three", "none"}, {"", "none"}}) {
        const bool identified = machine.IdentifyFolder(path, &id);
        EXPECT_EQ(!identified ? "none" : is(one) ? "one" : is(two) ? "two" : "other", want) << "'" << path << "'";
    }
    // Wine removes a Unix link to a folder neither as a folder nor as a file.
    if (link && !::RemoveDirectoryA((scratch / "link").c_str()) && !::DeleteFileA((scratch / "link").c_str()))
        RunUnix(scratch, "\\\\?\\unix\\bin\\rm -f link", [&] { return !linked(); });
    EXPECT_TRUE(!linked() && Exists(scratch / "two\\in")) << "the link stayed, or its target went too";
}

std::string Letters(size_t count) {
    std::string text;
    while (text.size() < count) text += static_cast<char>('a' + text.size() % 26);
    return text;
}

// The child holds the pipe's write end only, as its standard output. Its
// output is read to the end and kept up to the size given; one that never
// ends, quiet or printing for ever, is ended at the time limit.
TEST(WindowsMachine, RunCapturingOutput) {
    // A new pipe takes the slots of one just closed (its ends maybe swapped),
    // and an inherited handle keeps its value: the child is told them.
    HANDLE probe[2];
    ASSERT_TRUE(::CreatePipe(&probe[0], &probe[1], nullptr, 0));
    ::CloseHandle(probe[0]), ::CloseHandle(probe[1]);
    const std::string self = Quoted(OwnExePath()) + " --child ", outcomes[] = {"NotStarted", "Ended", "TimedOut"};
    const struct { std::string command; DWORD limitMs; size_t kept; const char* outcome; std::string output; } cases[] = {
        {self + "ends " + std::to_string(reinterpret_cast<uintptr_t>(probe[0])) + " " +
             std::to_string(reinterpret_cast<uintptr_t>(probe[1])), 20000, 100, "Ended", "stdout=1 pipes=0"},
        {self + "flood 1000000", 20000, 5000, "Ended", Letters(5000)},
        {self + "flood 1000000", 20000, 0, "Ended", ""},
        {self + "flood 0", 2000, 4096, "TimedOut", Letters(4096)},
        {self + "pid sleep 60000", 2000, 100, "TimedOut", "<the id of a process that has ended>"},
        {Quoted(TempFolder() + "tw_missing.exe"), 20000, 100, "NotStarted", ""},
        {"", 20000, 100, "NotStarted", ""}};
    for (const auto& c : cases) {
        std::string output = "stale";
        const DWORD start = ::GetTickCount();
        const std::string outcome = outcomes[static_cast<int>(WindowsMachine(c.limitMs).RunCapturingOutput(c.command, c.kept, &output))];
        const DWORD elapsed = ::GetTickCount() - start;
        EXPECT_EQ(outcome, c.outcome) << c.command << " after " << elapsed << " ms";
        EXPECT_TRUE(outcome != "TimedOut" || (elapsed >= c.limitMs - 50 && elapsed < c.limitMs + 8000)) << elapsed << " ms";
        if (c.output[0] == '<') {
            HANDLE child = ::OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, std::strtoul(output.c_str(), nullptr, 10));
            EXPECT_TRUE(!output.empty() && (!child || ::WaitForSingleObject(child, 0) == WAIT_OBJECT_0))
                << c.command << ": the child '" << output << "' still runs";
            if (child) ::TerminateProcess(child, 1), ::CloseHandle(child);
        } else {
            EXPECT_TRUE(output == c.output) << c.command << ": " << output.size() << " bytes '" << output.substr(0, 40) << "'";
        }
    }
}

// Every operation gives back the handles it took, on success and failure alike
// (counted by hand: Wine's GetProcessHandleCount is a stub).
TEST(WindowsMachine, LeavesNoHandles) {
    ScratchFolder scratch;
    ::RegSetKeyValueA(HKEY_LOCAL_MACHINE, kKey, "JavaHome", REG_SZ, "C:\\JRE", 7);
    WindowsMachine machine, impatient(300);
    const auto handles = [] {
        int count = 0;
        DWORD flags = 0;
        for (uintptr_t value = 4; value < (1u << 16); value += 4)
            count += ::GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags);
        return count;
    };
    const auto round = [&] {
        std::string text;
        std::vector<FolderEntry> entries;
        FolderIdentity identity;
        for (const char* key : {kKey, "Software\\TarnwickTest\\Absent"}) machine.ReadRegistryString(key, "JavaHome", &text);
        machine.ReadRegistryString(kKey, "Absent", &text);
        for (const char* name : {"*.*", "none.*"}) machine.ListEntries(scratch / name, &entries);
        for (const char* name : {".", "absent"}) machine.IdentifyFolder(scratch / name, &identity);
        for (const char* child : {"exit 0", "missing"}) machine.RunCapturingOutput(Quoted(OwnExePath()) + " --child " + child, 9, &text);
        machine.RunCapturingOutput(Quoted(scratch / "missing.exe"), 9, &text);
        impatient.RunCapturingOutput(Quoted(OwnExePath()) + " --child sleep 60000", 9, &text);
    };
    round();  // whatever is set up once for good
    const int before = handles();
    for (int i = 0; i < 5; ++i) round();
    EXPECT_LE(handles(), before + 2) << "before: " << before;
    ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\TarnwickTest");
}

}  // namespace
}  // namespace tarnwick::test
