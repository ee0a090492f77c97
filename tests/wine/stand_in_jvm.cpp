// A stand-in for a JVM executable, for tests: copied into a test tree as
// java.exe, jre.exe or jview.exe, it answers the way a JVM of the given
// version and vendor would, or misbehaves the way broken ones do.
//
// Every run appends its whole command line and CR LF to a record file: the
// Windows path in TARNWICK_JVM_RECORD, else jvm-record.txt beside it.
//
// The command line is read the way the launcher composes it:
//   <exe>  -classpath "<entry>;<entry>" <Class> [arguments]
// with -cp or /cp:p in place of -classpath, or with no class path (then the
// class is looked for in the current folder). The class must exist as
// <entry>\<Class>.class (.zip and .jar entries are skipped); a missing one is
// reported on standard error, exit code 1.
//
// jvm.properties beside it (key=value lines) sets version (java.version,
// default 1.2.2), vendor.url (default http://java.sun.com/) and mode:
//   normal   "Verify" prints the 13 properties on standard output, any other
//            class "ran <Class>"; exit code 0
//   silent   prints nothing, exit code 0      fail  prints nothing, exit code 3
//   stderr   prints the properties on standard error only
//   hang     prints nothing and never ends    slow  as normal, 2 seconds late
//   installer-hangs  "Verify" as normal; any other class (the installer)
//            writes the file "installer-running" beside it and never ends
//   flood    prints the letters a to z over and over on standard output, for
//            ever or, with flood.bytes set, that many bytes, then exit code 0
// home (java.home: default its folder without \bin, as a javapath shim
// reports the JVM it starts) and exit (the exit code of any class but Verify).
//
// Started without any argument while TARNWICK_STAND_IN_INSTALL_TO names a
// folder, it plays a JVM installer: it copies itself there as jre.exe with a
// jvm.properties of its defaults, and exits with code 0.
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>

namespace {

std::string OwnFolder() {
    char path[MAX_PATH + 1] = {};
    const std::string own(path, ::GetModuleFileNameA(nullptr, path, MAX_PATH));
    return own.substr(0, own.find_last_of('\\'));
}

std::string Environment(const char* name) {
    static char value[32768];
    const DWORD length = ::GetEnvironmentVariableA(name, value, sizeof value);
    return length < sizeof value ? std::string(value, length) : std::string();
}

std::string CurrentFolder() {
    char folder[MAX_PATH + 1] = {};
    return std::string(folder, ::GetCurrentDirectoryA(MAX_PATH, folder));
}

// Raw bytes, so CR LF reaches the reader as written; false once the reader
// is gone (or there never was one).
bool WriteTo(DWORD which, const std::string& text) {
    DWORD written = 0;
    return ::WriteFile(::GetStdHandle(which), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}

bool SaveFile(const std::string& path, const std::string& text, std::ios::openmode mode) {
    return static_cast<bool>(std::ofstream(path, std::ios::binary | mode) << text);
}

std::map<std::string, std::string> ReadSettings() {
    std::map<std::string, std::string> settings = {
        {"version", "1.2.2"}, {"vendor.url", "http://java.sun.com/"}, {"mode", "normal"}};
    std::ifstream file(OwnFolder() + "\\jvm.properties");  // text mode: CR LF read as LF
    for (std::string line; std::getline(file, line);) {
        const size_t equals = line.find('=');
        if (equals != std::string::npos && line[0] != '#') settings[line.substr(0, equals)] = line.substr(equals + 1);
    }
    return settings;
}

// A word, or a double-quoted text (without its quotes), from `at` on.
std::string Word(const std::string& text, size_t* at) {
    *at = std::min(text.find_first_not_of(" \t", *at), text.size());
    const bool quoted = text[*at] == '"';
    const size_t end = std::min(text.find_first_of(quoted ? "\"" : " \t", *at + quoted), text.size());
    const std::string word = text.substr(*at + quoted, end - *at - quoted);
    *at = std::min(end + quoted, text.size());
    return word;
}

bool EndsWithNoCase(const std::string& text, const char* ending) {
    const size_t length = std::string(ending).size();
    return text.size() >= length && ::lstrcmpiA(text.c_str() + text.size() - length, ending) == 0;
}

// Whether the class is found on the class path (nullptr: none given).
bool FindClass(const std::string& className, const std::string* classPath) {
    if (className.empty()) return false;
    if (classPath == nullptr) return std::ifstream(CurrentFolder() + "\\" + className + ".class").good();
    for (size_t start = 0, end = 0; end != std::string::npos; start = end + 1) {
        end = classPath->find(';', start);
        const std::string entry = classPath->substr(start, end - start);
        if (!entry.empty() && !EndsWithNoCase(entry, ".zip") && !EndsWithNoCase(entry, ".jar") &&
            std::ifstream(entry + (entry.back() == '\\' ? "" : "\\") + className + ".class").good())
            return true;
    }
    return false;
}

// What the verification class prints, in its order and layout.
std::string Properties(const std::map<std::string, std::string>& settings, const std::string& classPath) {
    std::string home = settings.count("home") ? settings.at("home") : OwnFolder();
    if (!settings.count("home") && EndsWithNoCase(home, "\\bin")) home.resize(home.size() - 4);
    const std::string url = settings.at("vendor.url"), userHome = Environment("USERPROFILE");
    const std::string vendor = url.find("ibm") != std::string::npos         ? "IBM Corporation"
                               : url.find("microsoft") != std::string::npos ? "Microsoft Corp."
                                                                            : "Sun Microsystems Inc.";
    const std::pair<const char*, std::string> properties[] = {
        {"java.home = ", home},           {"java.version = ", settings.at("version")},
        {"java.vendor.url = ", url},      {"java.vendor = ", vendor},
        {"java.class.path = ", classPath}, {"java.class.version = ", "46.0"},
        {"user.dir = ", CurrentFolder()}, {"user.language = ", "en"},
        {"user.region = ", "US"},         {"user.home = ", userHome.empty() ? "C:\\" : userHome},
        {"os.name = ", "Windows NT"},     {"os.version = ", "4.0"},
        {"os.arch  = ", "x86"},
    };
    std::string text;
    for (const auto& property : properties) text += property.first + property.second + "\r\n";
    return text;
}

// Byte n is 'a' + n % 26: whole runs of the alphabet per write.
int Flood(const std::string& bytesSetting) {
    std::string chunk;
    for (int i = 0; i < 4082; ++i) chunk += static_cast<char>('a' + i % 26);
    for (auto left = bytesSetting.empty() ? ~0ULL : std::stoull(bytesSetting); left > 0; left -= std::min(left, 4082ULL))
        if (!WriteTo(STD_OUTPUT_HANDLE, chunk.substr(0, std::min(left, 4082ULL)))) break;
    return 0;
}

int InstallSelf(const std::string& folder) {
    for (size_t slash = folder.find('\\', 3); slash != std::string::npos; slash = folder.find('\\', slash + 1))
        ::CreateDirectoryA(folder.substr(0, slash).c_str(), nullptr);
    ::CreateDirectoryA(folder.c_str(), nullptr);
    char own[MAX_PATH + 1] = {};
    ::GetModuleFileNameA(nullptr, own, MAX_PATH);
    const bool done = ::CopyFileA(own, (folder + "\\jre.exe").c_str(), FALSE) &&
                      SaveFile(folder + "\\jvm.properties", "version=1.2.2\r\nvendor.url=http://java.sun.com/\r\n",
                               std::ios::trunc);
    return done ? 0 : 4;
}

}  // namespace

int main() {
    const std::string commandLine = ::GetCommandLineA();
    const std::string record = Environment("TARNWICK_JVM_RECORD");
    SaveFile(record.empty() ? OwnFolder() + "\\jvm-record.txt" : record, commandLine + "\r\n", std::ios::app);

    size_t at = 0;
    Word(commandLine, &at);  // the executable
    bool hasClassPath = false;
    std::string classPath, className = Word(commandLine, &at);
    for (const char* option : {"-classpath", "-cp", "/cp:p"}) {
        if (className != option) continue;
        hasClassPath = true;
        classPath = Word(commandLine, &at);
        className = Word(commandLine, &at);
    }
    const std::string installTo = Environment("TARNWICK_STAND_IN_INSTALL_TO");
    if (!installTo.empty() && className.empty()) return InstallSelf(installTo);

    const std::map<std::string, std::string> settings = ReadSettings();
    const std::string& mode = settings.at("mode");
    if (mode == "slow") ::Sleep(2000);
    if (mode == "silent") return 0;
    if (mode == "fail") return 3;
    while (mode == "hang") ::Sleep(INFINITE);
    if (mode == "flood") return Flood(settings.count("flood.bytes") ? settings.at("flood.bytes") : std::string());
    if (!FindClass(className, hasClassPath ? &classPath : nullptr)) {
        WriteTo(STD_ERROR_HANDLE, "Can't find class " + className + "\r\n");
        return 1;
    }
    if (className == "Verify" || mode == "stderr") {
        WriteTo(mode == "stderr" ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE, Properties(settings, classPath));
        return 0;
    }
    if (mode == "installer-hangs") {
        // Tells a test that the installer is under way.
        SaveFile(OwnFolder() + "\\installer-running", "", std::ios::trunc);
        for (;;) ::Sleep(INFINITE);
    }
    WriteTo(STD_OUTPUT_HANDLE, "ran " + className + "\r\n");
    return settings.count("exit") ? std::atoi(settings.at("exit").c_str()) : 0;
}
