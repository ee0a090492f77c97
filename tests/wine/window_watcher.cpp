// Runs a program under watch: records the windows it shows and answers
// dialogs, so end-to-end tests can see message boxes and drive dialogs.
//
//   window_watcher.exe RECORD [--press TEXT] [--answer PART TEXT]...
//                      [--set ID=TEXT] [--click PART SPOT]... [--cancel-on WHEN]
//                      [--freeze] [--shots DIR] [--timeout MS] -- PROGRAM ARGS...
//
// RECORD is UTF-8 text, one line per event, numbered from 1 by position (in
// texts, line ends and tabs are written as \r, \n and \t):
//   caption<TAB>texts<TAB>buttons<TAB>owner
//       a new visible top-level window of the program; texts and buttons
//       joined with " | "; owner is the line of the owner window, "-" for
//       none, "?" for a window not recorded.
//   #state<TAB>line<TAB>visible<TAB>region<TAB>status<TAB>bar
//       a window with a status line (item 1004) changed: visible 0 or 1;
//       region "none", "empty" or "set"; the status text; the position of
//       the progress bar (item 1003). Written at first sight and whenever
//       visibility, region or status change (the bar alone moves every
//       second and is only reported along).
//   #cancel<TAB>line<TAB>frozen
//       Cancel was pressed in that window because of --cancel-on; frozen is
//       the number of the program's other threads suspended first (--freeze).
// In a new window: --set puts TEXT into edit control ID; --click clicks the
// left button at SPOT ("ID": the middle of that control; "X,Y": client
// coordinates) in windows whose texts contain PART; then --answer presses
// TEXT in a window whose texts contain PART (the first such rule wins), else
// --press presses TEXT. --cancel-on presses Cancel once in the window with a
// status line: "first" at first sight, "status=TEXT" when the status
// contains TEXT, "region=empty" when its region is empty, "file=PATH" once
// PATH exists. With --freeze, every other thread of the program (the worker)
// is suspended just before, for good, so the run stays in the step it was
// in, as behind a very slow disk (for Cancel answered with OK). --shots
// saves a picture of each new window as DIR\LINE.png.
// Exits with the program's exit code, or 99 when it had to be killed.
#include <windows.h>
#include <tlhelp32.h>

#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "tests/wine/window_shot.h"

namespace {

constexpr int kStatusLineId = 1004;
constexpr int kProgressBarId = 1003;

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], size,
                          nullptr, nullptr);
    return out;
}

std::wstring Wide(const std::string& text) {
    if (text.empty()) return std::wstring();
    const int size = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0);
    std::wstring out(static_cast<size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], size);
    return out;
}

// Record fields stay on one line: line ends and tabs in texts are written
// as \r, \n and \t.
std::string OneLine(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\r') out += "\\r";
        else if (c == '\n') out += "\\n";
        else if (c == '\t') out += "\\t";
        else out += c;
    }
    return out;
}

// Read from the window manager's copy, without a message: the program's
// threads may be busy, and a poll must never wait for them.
std::string WindowText(HWND window) {
    wchar_t text[1024] = {};
    ::InternalGetWindowText(window, text, 1024);
    return OneLine(Utf8(text));
}

std::string ClassOf(HWND window) {
    wchar_t name[256] = {};
    ::GetClassNameW(window, name, 256);
    return Utf8(name);
}

std::string WithoutAmpersands(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c != '&') out += c;
    }
    return out;
}

std::string Joined(const std::vector<std::string>& parts) {
    std::string out;
    for (size_t i = 0; i < parts.size(); ++i) out += (i ? " | " : "") + parts[i];
    return out;
}

struct Rule {
    std::string part;
    std::string value;
};

struct Options {
    std::string record;
    std::string press;
    std::vector<Rule> answers;
    std::vector<Rule> clicks;
    int setId = 0;
    std::string setText;
    std::string cancelOn;
    bool freeze = false;
    std::string shots;
    DWORD timeoutMs = 60000;
    std::wstring commandLine;
};

struct Children {
    std::vector<std::string> texts;
    std::vector<std::string> buttons;
    std::vector<HWND> buttonWindows;
};

BOOL CALLBACK CollectChild(HWND child, LPARAM param) {
    auto* found = reinterpret_cast<Children*>(param);
    // An icon's window text is its resource id, not something shown.
    const LONG style = ::GetWindowLongW(child, GWL_STYLE);
    if (lstrcmpiA(ClassOf(child).c_str(), "Static") == 0 && (style & SS_TYPEMASK) == SS_ICON) {
        return TRUE;
    }
    const std::string text = WindowText(child);
    if (lstrcmpiA(ClassOf(child).c_str(), "Button") == 0) {
        found->buttons.push_back(WithoutAmpersands(text));
        found->buttonWindows.push_back(child);
    } else if (!text.empty()) {
        found->texts.push_back(text);
    }
    return TRUE;
}

// What a window with a status line shows, as compared between polls.
struct ProgressState {
    std::string seen;  // visible, region and status, tab-separated
    int bar = 0;
};

ProgressState StateOf(HWND window) {
    HRGN region = ::CreateRectRgn(0, 0, 0, 0);
    const int kind = ::GetWindowRgn(window, region);
    ::DeleteObject(region);
    ProgressState state;
    state.seen = std::string(::IsWindowVisible(window) ? "1" : "0") + "\t" +
                 (kind == ERROR ? "none" : kind == NULLREGION ? "empty" : "set") + "\t" +
                 WindowText(::GetDlgItem(window, kStatusLineId));
    DWORD_PTR position = 0;
    ::SendMessageTimeoutW(::GetDlgItem(window, kProgressBarId), WM_USER + 8 /* PBM_GETPOS */, 0, 0,
                          SMTO_ABORTIFHUNG, 500, &position);
    state.bar = static_cast<int>(position);
    return state;
}

class Watcher {
public:
    Watcher(const Options& options, FILE* record, DWORD processId)
        : options_(options), record_(record), processId_(processId) {}

    void FindNewWindows() { ::EnumWindows(&Watcher::Visit, reinterpret_cast<LPARAM>(this)); }
    bool SawAnyWindow() const { return !lines_.empty(); }

    // Follows every window with a status line, and presses its Cancel when
    // --cancel-on says so.
    void PollProgress() {
        for (auto& [window, last] : progress_) {
            if (!::IsWindow(window)) continue;
            const ProgressState state = StateOf(window);
            if (state.seen != last.seen) {
                Write("#state\t" + std::to_string(lines_.at(window)) + "\t" + state.seen + "\t" +
                      std::to_string(state.bar));
                last = state;
            }
            if (!cancelled_ && CancelDue(state)) {
                cancelled_ = true;
                const int frozen = options_.freeze ? FreezeOtherThreads(window) : 0;
                Write("#cancel\t" + std::to_string(lines_.at(window)) + "\t" + std::to_string(frozen));
                ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                               reinterpret_cast<LPARAM>(::GetDlgItem(window, IDCANCEL)));
            }
        }
    }

private:
    static BOOL CALLBACK Visit(HWND window, LPARAM param) {
        reinterpret_cast<Watcher*>(param)->Consider(window);
        return TRUE;
    }

    void Write(const std::string& line) {
        std::fprintf(record_, "%s\n", line.c_str());
        std::fflush(record_);
        ++lineCount_;
    }

    // Suspends the program's threads but the one that owns `window`; gives
    // how many.
    int FreezeOtherThreads(HWND window) const {
        const DWORD keep = ::GetWindowThreadProcessId(window, nullptr);
        HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
        if (snapshot == INVALID_HANDLE_VALUE) return 0;
        int frozen = 0;
        THREADENTRY32 entry = {};
        entry.dwSize = sizeof entry;
        for (BOOL more = ::Thread32First(snapshot, &entry); more; more = ::Thread32Next(snapshot, &entry)) {
            if (entry.th32OwnerProcessID != processId_ || entry.th32ThreadID == keep) continue;
            HANDLE thread = ::OpenThread(THREAD_SUSPEND_RESUME, FALSE, entry.th32ThreadID);
            if (thread == nullptr) continue;
            if (::SuspendThread(thread) != static_cast<DWORD>(-1)) ++frozen;
            ::CloseHandle(thread);
        }
        ::CloseHandle(snapshot);
        return frozen;
    }

    bool CancelDue(const ProgressState& state) const {
        const std::string& when = options_.cancelOn;
        if (when.empty()) return false;
        if (when == "first") return true;
        if (when == "region=empty") return state.seen.find("\tempty\t") != std::string::npos;
        if (when.rfind("status=", 0) == 0) {
            const size_t status = state.seen.find('\t', state.seen.find('\t') + 1) + 1;
            return state.seen.find(when.substr(7), status) != std::string::npos;
        }
        if (when.rfind("file=", 0) == 0) {
            return ::GetFileAttributesW(Wide(when.substr(5)).c_str()) != INVALID_FILE_ATTRIBUTES;
        }
        return false;
    }

    std::string OwnerField(HWND window) const {
        HWND owner = ::GetWindow(window, GW_OWNER);
        if (owner == nullptr) return "-";
        const auto line = lines_.find(owner);
        return line == lines_.end() ? "?" : std::to_string(line->second);
    }

    void Click(HWND window, const std::string& spot) {
        POINT point = {};
        const size_t comma = spot.find(',');
        if (comma != std::string::npos) {
            point = {std::stoi(spot.substr(0, comma)), std::stoi(spot.substr(comma + 1))};
        } else {
            RECT rect = {};
            ::GetWindowRect(::GetDlgItem(window, std::stoi(spot)), &rect);
            point = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
            ::ScreenToClient(window, &point);
        }
        const LPARAM at = MAKELPARAM(point.x, point.y);
        ::PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
        ::PostMessageW(window, WM_LBUTTONUP, 0, at);
    }

    void Consider(HWND window) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        if (owner != processId_ || !::IsWindowVisible(window) || lines_.count(window)) return;

        Children children;
        ::EnumChildWindows(window, &CollectChild, reinterpret_cast<LPARAM>(&children));
        const std::string allTexts = WindowText(window) + "\n" + Joined(children.texts);
        Write(WindowText(window) + "\t" + Joined(children.texts) + "\t" +
              Joined(children.buttons) + "\t" + OwnerField(window));
        lines_[window] = lineCount_;
        if (!options_.shots.empty()) {
            // Give the new window time to paint before it is copied.
            ::Sleep(400);
            const std::string path = options_.shots + "\\" + std::to_string(lineCount_) + ".png";
            if (!SaveWindowShot(window, Wide(path).c_str())) {
                std::fprintf(stderr, "window_watcher: no picture %s (error %lu)\n", path.c_str(),
                             ::GetLastError());
            }
        }
        if (::GetDlgItem(window, kStatusLineId) != nullptr) {
            progress_[window] = ProgressState();
            PollProgress();
        }

        if (options_.setId != 0) {
            const std::wstring text = Wide(options_.setText);
            ::SendMessageTimeoutW(::GetDlgItem(window, options_.setId), WM_SETTEXT, 0,
                                  reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG, 2000,
                                  nullptr);
        }
        for (const Rule& click : options_.clicks) {
            if (allTexts.find(click.part) != std::string::npos) Click(window, click.value);
        }
        std::string wanted = options_.press;
        for (const Rule& answer : options_.answers) {
            if (allTexts.find(answer.part) != std::string::npos) {
                wanted = answer.value;
                break;
            }
        }
        for (size_t i = 0; i < children.buttons.size() && !wanted.empty(); ++i) {
            if (children.buttons[i] != wanted) continue;
            // Posted, not sent: the dialog's thread is busy in its own loop.
            HWND button = children.buttonWindows[i];
            ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(button), BN_CLICKED),
                           reinterpret_cast<LPARAM>(button));
            break;
        }
    }

    const Options& options_;
    FILE* record_;
    DWORD processId_;
    int lineCount_ = 0;
    std::map<HWND, int> lines_;
    std::map<HWND, ProgressState> progress_;
    bool cancelled_ = false;
};

bool ParseOptions(Options* options) {
    // The program's own command line is taken raw, after " -- ", so its
    // quoting reaches it unchanged.
    const std::wstring line = ::GetCommandLineW();
    const size_t dashes = line.find(L" -- ");
    if (dashes == std::wstring::npos) return false;
    options->commandLine = line.substr(dashes + 4);

    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    std::vector<std::string> args;
    for (int i = 1; i < argc && std::wstring(argv[i]) != L"--"; ++i) args.push_back(Utf8(argv[i]));
    ::LocalFree(argv);
    if (args.empty()) return false;
    options->record = args[0];
    for (size_t i = 1; i < args.size(); i += 2) {
        const std::string& name = args[i];
        if (name == "--freeze") {
            options->freeze = true;
            --i;
            continue;
        }
        if (i + 1 == args.size()) return false;
        const std::string& value = args[i + 1];
        if ((name == "--answer" || name == "--click") && i + 2 < args.size()) {
            (name == "--answer" ? options->answers : options->clicks).push_back({value, args[i + 2]});
            ++i;
        } else if (name == "--press") {
            options->press = value;
        } else if (name == "--timeout") {
            options->timeoutMs = static_cast<DWORD>(std::stoul(value));
        } else if (name == "--cancel-on") {
            options->cancelOn = value;
        } else if (name == "--shots") {
            options->shots = value;
        } else if (name == "--set") {
            const size_t equals = value.find('=');
            if (equals == std::string::npos) return false;
            options->setId = std::stoi(value.substr(0, equals));
            options->setText = value.substr(equals + 1);
        } else {
            return false;
        }
    }
    return true;
}

}  // namespace

int main() {
    Options options;
    if (!ParseOptions(&options)) {
        std::fprintf(stderr, "usage: window_watcher RECORD [--press TEXT] [--answer PART TEXT]... "
                             "[--set ID=TEXT] [--click PART SPOT]... [--cancel-on WHEN] "
                             "[--freeze] [--shots DIR] [--timeout MS] -- PROGRAM ARGS...\n");
        return 2;
    }
    FILE* record = _wfopen(Wide(options.record).c_str(), L"wb");
    if (record == nullptr) {
        std::fprintf(stderr, "window_watcher: cannot write %s\n", options.record.c_str());
        return 2;
    }
    if (!options.shots.empty()) ::CreateDirectoryW(Wide(options.shots).c_str(), nullptr);

    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child = {};
    std::vector<wchar_t> line(options.commandLine.begin(), options.commandLine.end());
    line.push_back(L'\0');
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &child)) {
        std::fprintf(stderr, "window_watcher: cannot start %s (error %lu)\n",
                     Utf8(options.commandLine).c_str(), ::GetLastError());
        std::fclose(record);
        return 2;
    }

    Watcher watcher(options, record, child.dwProcessId);
    const DWORD started = ::GetTickCount();
    DWORD lastSearch = started - 1000;
    DWORD exitCode = 99;
    // The status line is polled every millisecond, so that a status shown
    // only briefly is still seen; new windows are looked for as often until
    // the first one shows up, then every 50 ms.
    for (;;) {
        if (!watcher.SawAnyWindow() || ::GetTickCount() - lastSearch >= 50) {
            watcher.FindNewWindows();
            lastSearch = ::GetTickCount();
        }
        watcher.PollProgress();
        if (::WaitForSingleObject(child.hProcess, 1) == WAIT_OBJECT_0) {
            ::GetExitCodeProcess(child.hProcess, &exitCode);
            break;
        }
        if (::GetTickCount() - started > options.timeoutMs) {
            std::fprintf(record, "TIMEOUT\n");
            ::TerminateProcess(child.hProcess, 99);
            break;
        }
    }
    ::CloseHandle(child.hThread);
    ::CloseHandle(child.hProcess);
    std::fclose(record);
    return static_cast<int>(exitCode);
}
