// Runs a program under watch: records the caption and texts of every window
// it shows, and answers dialogs by pressing a button, so end-to-end tests can
// see message boxes and drive dialogs.
//
//   window_watcher.exe RECORD [--press TEXT] [--answer PART TEXT]... [--set ID=TEXT]
//                      [--timeout MS] -- PROGRAM ARGS...
//
// Each new visible top-level window of the program appends one line to
// RECORD: "caption<TAB>texts<TAB>buttons", texts and buttons joined with " | ".
// With --press, the button whose text (without '&') is TEXT is pressed after
// the line is written; --answer presses TEXT instead in a window whose texts
// contain PART (the first such rule wins); --set first puts TEXT into the
// edit control ID.
// Exits with the program's exit code, or 99 when it had to be killed.
#include <windows.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

namespace {

struct Answer {
    std::string part;
    std::string button;
};

struct Options {
    std::string record;
    std::string press;
    std::vector<Answer> answers;
    int setId = 0;
    std::string setText;
    DWORD timeoutMs = 60000;
    std::string commandLine;
};

std::string WindowText(HWND window) {
    char text[1024] = {};
    ::GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string ClassOf(HWND window) {
    char name[256] = {};
    ::GetClassNameA(window, name, sizeof name);
    return name;
}

std::string WithoutAmpersands(std::string text) {
    std::string out;
    for (char c : text) {
        if (c != '&') out += c;
    }
    return out;
}

struct Children {
    std::vector<std::string> texts;
    std::vector<std::string> buttons;
    std::vector<HWND> buttonWindows;
};

BOOL CALLBACK CollectChild(HWND child, LPARAM param) {
    auto* found = reinterpret_cast<Children*>(param);
    const std::string kind = ClassOf(child);
    const std::string text = WindowText(child);
    if (lstrcmpiA(kind.c_str(), "Button") == 0) {
        found->buttons.push_back(WithoutAmpersands(text));
        found->buttonWindows.push_back(child);
    } else if (!text.empty()) {
        found->texts.push_back(text);
    }
    return TRUE;
}

std::string Joined(const std::vector<std::string>& parts) {
    std::string out;
    for (size_t i = 0; i < parts.size(); ++i) out += (i ? " | " : "") + parts[i];
    return out;
}

struct Watch {
    DWORD processId;
    const Options* options;
    std::set<HWND>* seen;
    FILE* record;
};

BOOL CALLBACK VisitTopLevel(HWND window, LPARAM param) {
    auto* watch = reinterpret_cast<Watch*>(param);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner != watch->processId || !::IsWindowVisible(window) || watch->seen->count(window)) {
        return TRUE;
    }
    watch->seen->insert(window);
    Children children;
    ::EnumChildWindows(window, &CollectChild, reinterpret_cast<LPARAM>(&children));
    std::string wanted = watch->options->press;
    const std::string allTexts = WindowText(window) + "\n" + Joined(children.texts);
    for (const Answer& answer : watch->options->answers) {
        if (allTexts.find(answer.part) != std::string::npos) {
            wanted = answer.button;
            break;
        }
    }
    HWND pressTarget = nullptr;
    for (size_t i = 0; i < children.buttons.size() && !wanted.empty(); ++i) {
        if (children.buttons[i] == wanted) pressTarget = children.buttonWindows[i];
    }
    std::fprintf(watch->record, "%s\t%s\t%s\n", WindowText(window).c_str(),
                 Joined(children.texts).c_str(), Joined(children.buttons).c_str());
    std::fflush(watch->record);

    if (watch->options->setId != 0) {
        ::SendMessageTimeoutA(::GetDlgItem(window, watch->options->setId), WM_SETTEXT, 0,
                              reinterpret_cast<LPARAM>(watch->options->setText.c_str()),
                              SMTO_ABORTIFHUNG, 2000, nullptr);
    }
    if (pressTarget != nullptr) {
        // Posted, not sent: the dialog's thread is busy in its own loop.
        ::PostMessageA(window, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(pressTarget), BN_CLICKED),
                       reinterpret_cast<LPARAM>(pressTarget));
    }
    return TRUE;
}

bool ParseOptions(Options* options) {
    // The program's own command line is taken raw, after " -- ", so its
    // quoting reaches it unchanged.
    const std::string line = ::GetCommandLineA();
    const size_t dashes = line.find(" -- ");
    if (dashes == std::string::npos) return false;
    options->commandLine = line.substr(dashes + 4);

    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        char text[1024] = {};
        ::WideCharToMultiByte(CP_ACP, 0, argv[i], -1, text, sizeof text, nullptr, nullptr);
        if (std::string(text) == "--") break;
        args.push_back(text);
    }
    ::LocalFree(argv);
    if (args.empty()) return false;
    options->record = args[0];
    for (size_t i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == "--answer" && i + 2 < args.size()) {
            options->answers.push_back({args[i + 1], args[i + 2]});
            ++i;
        } else if (args[i] == "--press") {
            options->press = args[i + 1];
        } else if (args[i] == "--timeout") {
            options->timeoutMs = static_cast<DWORD>(std::stoul(args[i + 1]));
        } else if (args[i] == "--set") {
            const size_t equals = args[i + 1].find('=');
            if (equals == std::string::npos) return false;
            options->setId = std::stoi(args[i + 1].substr(0, equals));
            options->setText = args[i + 1].substr(equals + 1);
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
                             "[--set ID=TEXT] [--timeout MS] -- PROGRAM ARGS...\n");
        return 2;
    }
    FILE* record = std::fopen(options.record.c_str(), "w");
    if (record == nullptr) {
        std::fprintf(stderr, "window_watcher: cannot write %s\n", options.record.c_str());
        return 2;
    }

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child = {};
    std::vector<char> line(options.commandLine.begin(), options.commandLine.end());
    line.push_back('\0');
    if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &child)) {
        std::fprintf(stderr, "window_watcher: cannot start %s (error %lu)\n",
                     options.commandLine.c_str(), ::GetLastError());
        std::fclose(record);
        return 2;
    }

    std::set<HWND> seen;
    Watch watch{child.dwProcessId, &options, &seen, record};
    const DWORD started = ::GetTickCount();
    DWORD exitCode = 99;
    for (;;) {
        ::EnumWindows(&VisitTopLevel, reinterpret_cast<LPARAM>(&watch));
        if (::WaitForSingleObject(child.hProcess, 50) == WAIT_OBJECT_0) {
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
