// What the Wine tests share: whole-file reads and writes, scratch folders,
// starting programs, and this executable, which is also their child.
#pragma once

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace tarnwick::test {

inline std::string OwnExePath() {
    char path[MAX_PATH + 1] = {};
    return std::string(path, ::GetModuleFileNameA(nullptr, path, MAX_PATH));
}
inline std::string TempFolder() {  // ends in a backslash
    char path[MAX_PATH + 1] = {};
    return std::string(path, ::GetTempPathA(MAX_PATH, path));
}
inline std::string Letters(size_t count) {  // "abc...zabc..."
    std::string text;
    while (text.size() < count) text += static_cast<char>('a' + text.size() % 26);
    return text;
}
inline std::string Quoted(const std::string& text) { return "\"" + text + "\""; }
inline bool Exists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
inline std::string ReadWholeFile(const std::string& path) {  // empty when unreadable
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}
inline bool WriteWholeFile(const std::string& path, const std::string& bytes) {
    return std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size())).good();
}

// A fresh folder below the temporary folder, removed with its contents.
struct ScratchFolder {
    inline static int count = 0;
    const std::string path = TempFolder() + "tw" + std::to_string(::GetCurrentProcessId() * 100 + ++count);
    ScratchFolder() { ::CreateDirectoryA(path.c_str(), nullptr); }
    ScratchFolder(const ScratchFolder&) = delete;
    ~ScratchFolder() {  // a child just ended may hold its exe a moment longer
        std::error_code error;
        for (int i = 0; i < 50 && std::filesystem::remove_all(path, error) == static_cast<std::uintmax_t>(-1); ++i)
            ::Sleep(100);
    }
    std::string operator/(const std::string& name) const { return path + "\\" + name; }
};

// Starts a command line as it is and waits (a minute by default): "exit N",
// "still runs" or "not started".
inline std::string StartAndWait(std::string line, const char* folder = nullptr, DWORD waitMs = 60000) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child = {};
    if (!::CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, folder, &startup, &child))
        return "not started";
    DWORD code = 0;
    const bool ended =
        ::WaitForSingleObject(child.hProcess, waitMs) == WAIT_OBJECT_0 && ::GetExitCodeProcess(child.hProcess, &code);
    ::CloseHandle(child.hProcess), ::CloseHandle(child.hThread);
    return ended ? "exit " + std::to_string(code) : "still runs";
}
// Wine starts a Unix program with no handle to wait on: its effect is awaited.
template <class Done> bool RunUnix(const std::string& line, const ScratchFolder& folder, Done done) {
    StartAndWait("\\\\?\\unix\\bin\\" + line, folder.path.c_str(), 0);
    for (int wait = 0; wait < 200 && !done(); ++wait) ::Sleep(50);
    return done();
}

int RunChild(int argc, char** argv);  // the child's part: "--child ACTIONS..."

}  // namespace tarnwick::test
