// Runs a program under watch: records the windows it shows and answers
// dialogs, so end-to-end tests can read message boxes and drive dialogs.
//   window_watcher.exe RECORD [--press TEXT] [--answer PART TEXT]...
//       [--set ID=TEXT] [--click PART SPOT]... [--cancel-on WHEN] [--freeze]
//       [--shots DIR] [--env NAME=VALUE]... [--timeout MS] [--elevated] -- PROGRAM ARGS...
// RECORD (UTF-8; \r, \n and \t in texts written so) has one line per event:
//   caption<TAB>texts<TAB>buttons<TAB>owner   a new visible window; texts
//       (not the status line, item 1004) and buttons joined with " | ";
//       owner: its line (owners come first), "-" for none
//   #state<TAB>line<TAB>visible 0/1<TAB>region none/empty/set<TAB>status
//       a window with a status line changed
//   #cancel<TAB>line   Cancel was pressed there because of --cancel-on
// In a new window --set puts TEXT into edit control ID; --click clicks at SPOT
// ("ID": that control's middle; "X,Y": client coordinates) in windows whose
// texts contain PART; then the first --answer whose PART is in the texts
// presses its TEXT, else --press does. --cancel-on presses Cancel once in the
// window with a status line: "first", "status=TEXT" or "file=PATH" (once it
// exists); --freeze first suspends the program's other threads until that
// window is gone (the abort confirmed), so the run stays in its step.
// After a press of an --answer, the record's last line is "#exit<TAB>MS",
// the milliseconds from that press to the program's end. --shots saves DIR\LINE.png of each new window;
// --env sets a variable for the program. The program runs as a user's own
// programs do under UAC, not elevated (Wine starts every program elevated),
// unless --elevated. Exits with the program's exit code, 99 when it had to
// be killed.
#include <windows.h>
#include <tlhelp32.h>
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "tests/wine/limited_token.h"

namespace {

constexpr int kStatusLineId = 1004;

std::map<std::string, std::vector<std::string>> options;  // values by name, in order
FILE* record = nullptr;
DWORD processId = 0;
int lineCount = 0;  // lines written to the record
std::map<HWND, int> lines;              // recorded windows
std::map<HWND, std::string> progress;   // windows with a status line: last state
bool cancelled = false;
HWND frozenBy = nullptr;            // --freeze: the window whose end thaws
std::vector<DWORD> frozen;          // the threads held
LARGE_INTEGER answeredAt = {};      // the last --answer press

std::string Option(const char* name) { return options.count(name) ? options[name].back() : std::string(); }

std::string Utf8(const std::wstring& text) {
    std::string out(text.size() * 3, '\0');
    out.resize(static_cast<size_t>(::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                                         &out[0], static_cast<int>(out.size()), nullptr, nullptr)));
    return out;
}

std::wstring Wide(const std::string& text) {
    std::wstring out(text.size(), L'\0');
    out.resize(static_cast<size_t>(::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                                         &out[0], static_cast<int>(out.size()))));
    return out;
}

// From the window manager's copy, without a message: the program's threads
// may be busy. Kept on one line.
std::string WindowText(HWND window) {
    wchar_t text[1024] = {};
    ::InternalGetWindowText(window, text, 1024);
    std::string out;
    for (char c : Utf8(text)) out += c == '\r' ? "\\r" : c == '\n' ? "\\n" : c == '\t' ? "\\t" : std::string(1, c);
    return out;
}

void Write(const std::string& line) {
    std::fprintf(record, "%s\n", line.c_str());
    std::fflush(record);
    ++lineCount;
}

void PutBigEndian(std::string* out, uLong value) {
    for (int shift = 24; shift >= 0; shift -= 8) out->push_back(static_cast<char>(value >> shift));
}

void PutChunk(std::string* png, const std::string& typed) {
    PutBigEndian(png, static_cast<uLong>(typed.size() - 4));
    png->append(typed);
    PutBigEndian(png, crc32(0, reinterpret_cast<const Bytef*>(typed.data()), static_cast<uInt>(typed.size())));
}

// What the screen shows of the window, as a 24-bit PNG.
bool SaveShot(HWND window, const std::string& path) {
    RECT rect;
    ::GetWindowRect(window, &rect);
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return false;
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof info.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    HDC screen = ::GetDC(nullptr), memory = ::CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    const bool copied = ::BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    ::GdiFlush();
    std::string rows;  // each: filter type 0, then RGB
    for (int y = 0; copied && y < height; ++y) {
        rows.push_back('\0');
        for (const auto *p = static_cast<const uint8_t*>(bits) + size_t(y) * width * 4, *end = p + width * 4; p < end; p += 4)
            rows += {static_cast<char>(p[2]), static_cast<char>(p[1]), static_cast<char>(p[0])};
    }
    ::SelectObject(memory, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    uLongf size = compressBound(static_cast<uLong>(rows.size()));
    std::string packed(size, '\0'), png = "\x89PNG\r\n\x1a\n", header = "IHDR";
    if (!copied || compress2(reinterpret_cast<Bytef*>(&packed[0]), &size, reinterpret_cast<const Bytef*>(rows.data()),
                             static_cast<uLong>(rows.size()), Z_BEST_COMPRESSION) != Z_OK)
        return false;
    PutBigEndian(&header, static_cast<uLong>(width));
    PutBigEndian(&header, static_cast<uLong>(height));
    PutChunk(&png, header + std::string("\x08\x02\0\0\0", 5));  // 8-bit RGB
    PutChunk(&png, "IDAT" + packed.substr(0, size));
    PutChunk(&png, "IEND");
    FILE* file = _wfopen(Wide(path).c_str(), L"wb");
    if (file == nullptr) return false;
    const bool written = std::fwrite(png.data(), 1, png.size(), file) == png.size();
    return std::fclose(file) == 0 && written;
}

// Holds the run in its step: suspends the program's threads but the one of
// `window`.
void FreezeOtherThreads(HWND window) {
    const DWORD keep = ::GetWindowThreadProcessId(window, nullptr);
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Thread32First(snapshot, &entry); more; more = ::Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID != processId || entry.th32ThreadID == keep) continue;
        HANDLE thread = ::OpenThread(THREAD_SUSPEND_RESUME, FALSE, entry.th32ThreadID);
        ::SuspendThread(thread);
        ::CloseHandle(thread);
        frozen.push_back(entry.th32ThreadID);
    }
    ::CloseHandle(snapshot);
    frozenBy = window;
}

void ThawWhenGone() {
    if (frozenBy == nullptr || ::IsWindow(frozenBy)) return;
    for (DWORD id : frozen) {
        HANDLE thread = ::OpenThread(THREAD_SUSPEND_RESUME, FALSE, id);
        ::ResumeThread(thread);
        ::CloseHandle(thread);
    }
    frozenBy = nullptr;
}

// Follows each window with a status line; presses its Cancel when due.
void PollProgress() {
    ThawWhenGone();
    const std::string when = Option("--cancel-on");
    for (auto& [window, last] : progress) {
        if (!::IsWindow(window)) continue;
        HRGN region = ::CreateRectRgn(0, 0, 0, 0);
        const int kind = ::GetWindowRgn(window, region);
        ::DeleteObject(region);
        const std::string status = WindowText(::GetDlgItem(window, kStatusLineId)), line = std::to_string(lines[window]);
        const std::string state = std::string(::IsWindowVisible(window) ? "1\t" : "0\t") +
                                  (kind == ERROR ? "none" : kind == NULLREGION ? "empty" : "set") + "\t" + status;
        if (state != last) Write("#state\t" + line + "\t" + (last = state));
        const bool due = when == "first" ||
                         (when.rfind("status=", 0) == 0 && status.find(when.substr(7)) != std::string::npos) ||
                         (when.rfind("file=", 0) == 0 &&
                          ::GetFileAttributesW(Wide(when.substr(5)).c_str()) != INVALID_FILE_ATTRIBUTES);
        if (cancelled || !due) continue;
        cancelled = true;
        if (options.count("--freeze")) FreezeOtherThreads(window);
        Write("#cancel\t" + line);
        ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(window, IDCANCEL)));
    }
}

void Click(HWND window, const std::string& spot) {
    POINT point = {};
    const size_t comma = spot.find(',');
    if (comma != std::string::npos) {
        point = {std::stoi(spot), std::stoi(spot.substr(comma + 1))};
    } else {
        RECT rect = {};
        ::GetWindowRect(::GetDlgItem(window, std::stoi(spot)), &rect);
        point = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
        ::ScreenToClient(window, &point);
    }
    ::PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(point.x, point.y));
    ::PostMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(point.x, point.y));
}

BOOL CALLBACK Collect(HWND child, LPARAM found) {
    reinterpret_cast<std::vector<HWND>*>(found)->push_back(child);
    return TRUE;
}

std::string Joined(const std::vector<std::string>& parts) {
    std::string out;
    for (size_t i = 0; i < parts.size(); ++i) out += (i ? " | " : "") + parts[i];
    return out;
}

// A window not seen before: recorded, pictured, filled in and answered.
BOOL CALLBACK Consider(HWND window, LPARAM) {
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner != processId || !::IsWindowVisible(window) || lines.count(window)) return TRUE;
    const HWND ownerWindow = ::GetWindow(window, GW_OWNER);
    if (ownerWindow != nullptr) Consider(ownerWindow, 0);  // owners first, whatever the z-order
    std::vector<HWND> children, buttons;
    ::EnumChildWindows(window, &Collect, reinterpret_cast<LPARAM>(&children));
    std::vector<std::string> texts, buttonTexts;
    for (HWND child : children) {
        wchar_t kind[32] = {};
        ::GetClassNameW(child, kind, 32);
        std::string text = WindowText(child);
        if (lstrcmpiW(kind, L"Button") == 0) {
            for (size_t amp; (amp = text.find('&')) != std::string::npos;) text.erase(amp, 1);  // access keys
            buttonTexts.push_back(text);
            buttons.push_back(child);
        } else if (!text.empty() && ::GetDlgCtrlID(child) != kStatusLineId &&
                   !(lstrcmpiW(kind, L"Static") == 0 && (::GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)) {
            texts.push_back(text);  // (an icon's text is its resource id)
        }
    }
    Write(WindowText(window) + "\t" + Joined(texts) + "\t" + Joined(buttonTexts) + "\t" +
          (ownerWindow == nullptr ? "-" : lines.count(ownerWindow) ? std::to_string(lines[ownerWindow]) : "?"));
    lines[window] = lineCount;
    if (!Option("--shots").empty()) {
        ::Sleep(400);  // time to paint
        const std::string path = Option("--shots") + "\\" + std::to_string(lineCount) + ".png";
        if (!SaveShot(window, path)) std::fprintf(stderr, "window_watcher: no picture %s\n", path.c_str());
    }
    if (::GetDlgItem(window, kStatusLineId) != nullptr) progress[window] = std::string();
    PollProgress();
    const std::string all = WindowText(window) + "\n" + Joined(texts), set = Option("--set");
    if (!set.empty()) {
        const std::wstring text = Wide(set.substr(set.find('=') + 1));
        ::SendMessageTimeoutW(::GetDlgItem(window, std::stoi(set)), WM_SETTEXT, 0,
                              reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG, 2000, nullptr);
    }
    const auto& clicks = options["--click"];
    for (size_t i = 0; i + 1 < clicks.size(); i += 2)
        if (all.find(clicks[i]) != std::string::npos) Click(window, clicks[i + 1]);
    std::string wanted = Option("--press");
    const auto& answers = options["--answer"];
    bool answer = false;
    for (size_t i = answers.size(); i >= 2; i -= 2)  // backwards: the first rule wins
        if (all.find(answers[i - 2]) != std::string::npos) wanted = answers[i - 1], answer = true;
    for (size_t i = 0; i < buttons.size(); ++i)  // posted, not sent: the dialog's thread is in its own loop
        if (!wanted.empty() && buttonTexts[i] == wanted)
            return (answer ? ::QueryPerformanceCounter(&answeredAt) : 0), ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(buttons[i]), BN_CLICKED),
                                  reinterpret_cast<LPARAM>(buttons[i])), TRUE;
    return TRUE;
}

}  // namespace

int main() {
    // The program's command line is taken raw, after " -- ", so its quoting
    // reaches it unchanged.
    const std::wstring line = ::GetCommandLineW();
    const size_t dashes = line.find(L" -- ");
    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(line.c_str(), &argc);
    std::vector<std::string> args;
    for (int i = 1; i < argc && std::wstring(argv[i]) != L"--"; ++i) args.push_back(Utf8(argv[i]));
    bool usable = dashes != std::wstring::npos && !args.empty();
    for (size_t i = 1; usable && i < args.size(); ++i) {
        const size_t count = args[i] == "--freeze" || args[i] == "--elevated" ? 0 : args[i] == "--answer" || args[i] == "--click" ? 2 : 1;
        usable = i + count < args.size() && args[i].rfind("--", 0) == 0;
        auto& values = options[args[i]];  // (--freeze: present, no value)
        for (size_t k = 1; usable && k <= count; ++k) values.push_back(args[i + k]);
        i += count;
    }
    if (usable) record = _wfopen(Wide(args[0]).c_str(), L"wb");
    if (record == nullptr) {
        std::fprintf(stderr, "usage: window_watcher RECORD [OPTIONS] -- PROGRAM ARGS... (see its source)\n");
        return 2;
    }
    if (!Option("--shots").empty()) ::CreateDirectoryW(Wide(Option("--shots")).c_str(), nullptr);
    for (const std::string& setting : options["--env"]) {
        const size_t equals = setting.find('=');
        ::SetEnvironmentVariableW(Wide(setting.substr(0, equals)).c_str(), Wide(setting.substr(equals + 1)).c_str());
    }

    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child = {};
    std::wstring commandLine = line.substr(dashes + 4);
    const HANDLE limited = options.count("--elevated") ? nullptr : tarnwick::test::LimitedToken();
    if (!(limited ? ::CreateProcessAsUserW(limited, nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                                           nullptr, &startup, &child)
                  : ::CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                     &startup, &child))) {
        std::fprintf(stderr, "window_watcher: cannot start %s (error %lu)\n", Utf8(commandLine).c_str(), ::GetLastError());
        return 2;
    }
    processId = child.dwProcessId;
    const DWORD limit = Option("--timeout").empty() ? 60000 : std::stoul(Option("--timeout"));
    const DWORD started = ::GetTickCount();
    DWORD lastSearch = started - 1000, exitCode = 99;
    // The status line is polled every millisecond, so that a status shown
    // only briefly is seen; new windows as often until the first one shows
    // up, then every 50 ms.
    for (;;) {
        if (lines.empty() || ::GetTickCount() - lastSearch >= 50) {
            ::EnumWindows(&Consider, 0);
            lastSearch = ::GetTickCount();
        }
        PollProgress();
        if (::WaitForSingleObject(child.hProcess, 1) == WAIT_OBJECT_0) {
            ::GetExitCodeProcess(child.hProcess, &exitCode);
            LARGE_INTEGER now, frequency;
            ::QueryPerformanceCounter(&now), ::QueryPerformanceFrequency(&frequency);
            if (answeredAt.QuadPart != 0)
                std::fprintf(record, "#exit\t%.1f\n", double(now.QuadPart - answeredAt.QuadPart) * 1000 / frequency.QuadPart);
            break;
        }
        if (::GetTickCount() - started > limit) {
            std::fprintf(record, "TIMEOUT\n");
            ::TerminateProcess(child.hProcess, 99);
            break;
        }
    }
    std::fclose(record);
    return static_cast<int>(exitCode);
}
