// Small helpers shared by the Wine tests and their child processes: scratch
// folders, whole-file reads and writes, the running executable's path.
#pragma once

#include <windows.h>

#include <string>

namespace tarnwick::test {

inline std::string OwnExePath() {
    char path[MAX_PATH + 1] = {};
    const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, length <= MAX_PATH ? length : 0);
}

// The whole file; empty and *ok false when it cannot be opened.
inline std::string ReadWholeFile(const std::string& path, bool* ok = nullptr) {
    std::string bytes;
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (ok != nullptr) *ok = file != INVALID_HANDLE_VALUE;
    if (file == INVALID_HANDLE_VALUE) return bytes;
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) bytes.append(buffer, read);
    ::CloseHandle(file);
    return bytes;
}

inline bool WriteWholeFile(const std::string& path, const std::string& bytes) {
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok = ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
    return ok && written == bytes.size();
}

// A command-line argument in double quotes, so paths with blanks stay whole.
inline std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

inline bool SamePath(const std::string& a, const std::string& b) {
    return ::lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

// Polls until the file exists; children write their reports by renaming a
// finished file into place, so an existing file is complete.
inline bool WaitForFile(const std::string& path, DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    while (::GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        if (::GetTickCount() - start > timeoutMs) return false;
        ::Sleep(50);
    }
    return true;
}

// A fresh folder below the temporary folder, deleted with all its contents.
class ScratchFolder {
  public:
    ScratchFolder() {
        static int counter = 0;
        char temp[MAX_PATH + 1] = {};
        ::GetTempPathA(MAX_PATH, temp);
        path_ = std::string(temp) + "tw" + std::to_string(::GetCurrentProcessId()) + "_" +
                std::to_string(++counter);
        ::CreateDirectoryA(path_.c_str(), nullptr);
    }
    ~ScratchFolder() { Remove(path_); }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

  private:
    static void Remove(const std::string& folder) {
        WIN32_FIND_DATAA found;
        HANDLE find = ::FindFirstFileA((folder + "\\*").c_str(), &found);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                const std::string name = found.cFileName;
                if (name == "." || name == "..") continue;
                const std::string full = folder + "\\" + name;
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                    Remove(full);
                } else {
                    // A child that was just ended may still hold its exe
                    // for a moment; left behind, a stand-in JVM would be
                    // found by the drive scans of later tests.
                    for (int attempt = 0; attempt < 50 && !::DeleteFileA(full.c_str()); ++attempt) {
                        ::Sleep(100);
                    }
                }
            } while (::FindNextFileA(find, &found));
            ::FindClose(find);
        }
        ::RemoveDirectoryA(folder.c_str());
    }

    std::string path_;
};

}  // namespace tarnwick::test
