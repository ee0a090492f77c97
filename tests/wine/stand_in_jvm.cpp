// A stand-in for a JVM executable, for tests: copied into a test tree as
// java.exe, jre.exe or jview.exe, it answers the way a JVM of the given
// version and vendor would, or misbehaves the way broken ones do.
//
// Every run appends its whole command line and CR LF to a record file: the
// Windows path in the environment variable TARNWICK_JVM_RECORD, else
// jvm-record.txt beside this executable.
//
// The command line is read the way the launcher composes it:
//   <exe>  -classpath "<entry>;<entry>" <Class> [arguments]
// with " -cp " or " /cp:p " in place of " -classpath ", or with no class-path
// option at all (then the class is looked for in the current folder). The
// class must exist as <entry>\<Class>.class; .zip and .jar entries are
// skipped. A missing class is reported on standard error, exit code 1.
//
// jvm.properties beside this executable (key=value lines) sets:
//   version      java.version          (default 1.2.2)
//   vendor.url   java.vendor.url       (default http://java.sun.com/)
//   mode         normal   the class "Verify" prints the 13 properties on
//                         standard output; any other class prints
//                         "ran <Class>"; exit code 0
//                silent   prints nothing, exit code 0
//                stderr   prints the properties on standard error only
//                fail     prints nothing, exit code 3
//                hang     prints nothing and never ends
//                slow     as normal, but only after 2 seconds
//                installer-hangs  "Verify" as in normal; any other class
//                         (the installer) writes the file "installer-running"
//                         beside this executable and never ends
//                flood    prints the letters a to z over and over on
//                         standard output, for ever or, with flood.bytes
//                         set, that many bytes and then exit code 0
//
// Started without any argument while TARNWICK_STAND_IN_INSTALL_TO names a
// folder, it plays a JVM installer instead: it copies itself there as
// jre.exe with a jvm.properties of its defaults, and exits with code 0.
#include <windows.h>

#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace {

std::string OwnPath() {
    char path[MAX_PATH + 1] = {};
    const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, length <= MAX_PATH ? length : 0);
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string Environment(const char* name) {
    std::vector<char> value(32768);
    const DWORD length =
        ::GetEnvironmentVariableA(name, value.data(), static_cast<DWORD>(value.size()));
    if (length == 0 || length >= value.size()) return std::string();
    return std::string(value.data(), length);
}

std::string CurrentFolder() {
    char folder[MAX_PATH + 1] = {};
    const DWORD length = ::GetCurrentDirectoryA(MAX_PATH, folder);
    return std::string(folder, length <= MAX_PATH ? length : 0);
}

bool Exists(const std::string& path) {
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Raw bytes, so CR LF reaches the reader as written; false once the reader
// is gone (or there never was one).
bool WriteTo(DWORD which, const std::string& text) {
    HANDLE handle = ::GetStdHandle(which);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    return ::WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}

void AppendToRecord(const std::string& line) {
    std::string record = Environment("TARNWICK_JVM_RECORD");
    if (record.empty()) record = FolderOf(OwnPath()) + "\\jvm-record.txt";
    HANDLE file =
        ::CreateFileA(record.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                      OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    ::SetFilePointer(file, 0, nullptr, FILE_END);
    const std::string bytes = line + "\r\n";
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
}

std::map<std::string, std::string> ReadSettings() {
    std::map<std::string, std::string> settings = {
        {"version", "1.2.2"}, {"vendor.url", "http://java.sun.com/"}, {"mode", "normal"}};
    HANDLE file =
        ::CreateFileA((FolderOf(OwnPath()) + "\\jvm.properties").c_str(), GENERIC_READ,
                      FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return settings;
    std::string text;
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0)
        text.append(buffer, read);
    ::CloseHandle(file);

    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const size_t equals = line.find('=');
        if (equals == std::string::npos || line[0] == '#') continue;
        settings[line.substr(0, equals)] = line.substr(equals + 1);
    }
    return settings;
}

struct Invocation {
    bool hasClassPath = false;
    std::string classPath;
    std::string className;
};

size_t SkipBlanks(const std::string& text, size_t at) {
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t'))
        ++at;
    return at;
}

// A word, or a double-quoted text (without its quotes).
std::string Word(const std::string& text, size_t* at) {
    std::string word;
    if (*at < text.size() && text[*at] == '"') {
        const size_t close = text.find('"', *at + 1);
        const size_t end = close == std::string::npos ? text.size() : close;
        word = text.substr(*at + 1, end - *at - 1);
        *at = close == std::string::npos ? end : close + 1;
        return word;
    }
    const size_t end = text.find_first_of(" \t", *at);
    word = text.substr(*at, end == std::string::npos ? std::string::npos : end - *at);
    *at = end == std::string::npos ? text.size() : end;
    return word;
}

Invocation Parse(const std::string& commandLine) {
    Invocation invocation;
    size_t at = 0;
    Word(commandLine, &at);  // the executable
    at = SkipBlanks(commandLine, at);
    for (const char* option : {"-classpath", "-cp", "/cp:p"}) {
        const std::string text = std::string(option) + " ";
        if (commandLine.compare(at, text.size(), text) == 0) {
            at = SkipBlanks(commandLine, at + text.size());
            invocation.hasClassPath = true;
            invocation.classPath = Word(commandLine, &at);
            at = SkipBlanks(commandLine, at);
            break;
        }
    }
    invocation.className = Word(commandLine, &at);
    return invocation;
}

bool EndsWithNoCase(const std::string& text, const char* ending) {
    const size_t length = std::string(ending).size();
    return text.size() >= length && ::lstrcmpiA(text.c_str() + text.size() - length, ending) == 0;
}

bool FindClass(const Invocation& invocation) {
    if (invocation.className.empty()) return false;
    const std::string file = invocation.className + ".class";
    if (!invocation.hasClassPath) return Exists(CurrentFolder() + "\\" + file);
    size_t start = 0;
    for (;;) {
        const size_t end = invocation.classPath.find(';', start);
        const std::string entry = invocation.classPath.substr(
            start, end == std::string::npos ? std::string::npos : end - start);
        if (!entry.empty() && !EndsWithNoCase(entry, ".zip") && !EndsWithNoCase(entry, ".jar")) {
            const std::string separator = entry.back() == '\\' ? "" : "\\";
            if (Exists(entry + separator + file)) return true;
        }
        if (end == std::string::npos) return false;
        start = end + 1;
    }
}

std::string VendorName(const std::string& url) {
    if (url.find("ibm") != std::string::npos) return "IBM Corporation";
    if (url.find("microsoft") != std::string::npos) return "Microsoft Corp.";
    return "Sun Microsystems Inc.";
}

// What the verification class prints, in its order and layout.
std::string Properties(const std::map<std::string, std::string>& settings,
                       const Invocation& invocation) {
    std::string home = FolderOf(OwnPath());
    if (EndsWithNoCase(home, "\\bin")) home.resize(home.size() - 4);
    std::string userHome = Environment("USERPROFILE");
    if (userHome.empty()) userHome = "C:\\";
    const std::string url = settings.at("vendor.url");
    const std::pair<const char*, std::string> properties[] = {
        {"java.home = ", home},
        {"java.version = ", settings.at("version")},
        {"java.vendor.url = ", url},
        {"java.vendor = ", VendorName(url)},
        {"java.class.path = ", invocation.classPath},
        {"java.class.version = ", "46.0"},
        {"user.dir = ", CurrentFolder()},
        {"user.language = ", "en"},
        {"user.region = ", "US"},
        {"user.home = ", userHome},
        {"os.name = ", "Windows NT"},
        {"os.version = ", "4.0"},
        {"os.arch  = ", "x86"},
    };
    std::string text;
    for (const auto& property : properties)
        text += property.first + property.second + "\r\n";
    return text;
}

int Flood(const std::string& bytesSetting) {
    std::string chunk;
    for (int i = 0; i < 4096; ++i)
        chunk += static_cast<char>('a' + i % 26);
    if (bytesSetting.empty()) {
        while (WriteTo(STD_OUTPUT_HANDLE, chunk)) {
        }
        return 0;
    }
    // Whole chunks keep the letters in step: byte n is 'a' + n % 26.
    unsigned long long left = std::strtoull(bytesSetting.c_str(), nullptr, 10);
    for (std::string piece = chunk.substr(0, chunk.size() - chunk.size() % 26); left > 0;) {
        const size_t count = left < piece.size() ? static_cast<size_t>(left) : piece.size();
        if (!WriteTo(STD_OUTPUT_HANDLE, piece.substr(0, count))) return 0;
        left -= count;
    }
    return 0;
}

// Creates `folder` and the folders above it that are missing.
void CreateFolders(const std::string& folder) {
    for (size_t slash = folder.find('\\', 3); slash != std::string::npos; slash = folder.find('\\', slash + 1)) {
        ::CreateDirectoryA(folder.substr(0, slash).c_str(), nullptr);
    }
    ::CreateDirectoryA(folder.c_str(), nullptr);
}

int InstallSelf(const std::string& folder) {
    CreateFolders(folder);
    if (!::CopyFileA(OwnPath().c_str(), (folder + "\\jre.exe").c_str(), FALSE)) return 4;
    HANDLE file = ::CreateFileA((folder + "\\jvm.properties").c_str(), GENERIC_WRITE, 0, nullptr,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 4;
    const char text[] = "version=1.2.2\r\nvendor.url=http://java.sun.com/\r\n";
    DWORD written = 0;
    ::WriteFile(file, text, sizeof text - 1, &written, nullptr);
    ::CloseHandle(file);
    return 0;
}

}  // namespace

int main() {
    const std::string commandLine = ::GetCommandLineA();
    AppendToRecord(commandLine);

    const std::string installTo = Environment("TARNWICK_STAND_IN_INSTALL_TO");
    if (!installTo.empty() && Parse(commandLine).className.empty()) return InstallSelf(installTo);

    const std::map<std::string, std::string> settings = ReadSettings();
    const std::string& mode = settings.at("mode");
    const Invocation invocation = Parse(commandLine);

    if (mode == "slow") ::Sleep(2000);
    if (mode == "silent") return 0;
    if (mode == "fail") return 3;
    if (mode == "hang") {
        for (;;)
            ::Sleep(INFINITE);
    }
    if (mode == "flood") {
        const auto bytes = settings.find("flood.bytes");
        return Flood(bytes == settings.end() ? std::string() : bytes->second);
    }
    if (!FindClass(invocation)) {
        WriteTo(STD_ERROR_HANDLE, "Can't find class " + invocation.className + "\r\n");
        return 1;
    }
    if (mode == "stderr") {
        WriteTo(STD_ERROR_HANDLE, Properties(settings, invocation));
        return 0;
    }
    if (invocation.className == "Verify") {
        WriteTo(STD_OUTPUT_HANDLE, Properties(settings, invocation));
    } else if (mode == "installer-hangs") {
        // Tells a test that the installer is under way.
        ::CloseHandle(::CreateFileA((FolderOf(OwnPath()) + "\\installer-running").c_str(), GENERIC_WRITE, 0,
                                    nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        for (;;)
            ::Sleep(INFINITE);
    } else {
        WriteTo(STD_OUTPUT_HANDLE, "ran " + invocation.className + "\r\n");
    }
    return 0;
}
