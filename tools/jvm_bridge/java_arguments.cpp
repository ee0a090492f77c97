#include "java_arguments.h"

#include <cctype>

namespace tarnwick {
namespace {

bool IsClassPathOption(const std::string& argument) {
    return argument == "-classpath" || argument == "-cp" || argument == "--class-path";
}

// Options whose value is the next argument and holds no Windows path we map.
bool TakesValue(const std::string& argument) {
    for (const char* option : {"-p", "--module-path", "--upgrade-module-path", "--add-modules",
                               "--limit-modules", "--add-reads", "--add-exports", "--add-opens",
                               "--patch-module"}) {
        if (argument == option) return true;
    }
    return false;
}

std::string MapPath(const std::string& path, const HostPathResolver& resolve) {
    std::string host;
    return resolve(path, &host) ? host : path;
}

// -Dname=value with a drive-absolute value: the value as a host path.
std::string MapProperty(const std::string& argument, const HostPathResolver& resolve) {
    const size_t equals = argument.find('=');
    if (equals == std::string::npos) return argument;
    const std::string value = argument.substr(equals + 1);
    if (!IsDriveAbsolutePath(value)) return argument;
    return argument.substr(0, equals + 1) + MapPath(value, resolve);
}

}  // namespace

std::string MapClassPath(const std::string& windowsClassPath, const HostPathResolver& resolve) {
    std::string hostClassPath;
    bool first = true;
    size_t start = 0;
    for (;;) {
        const size_t end = windowsClassPath.find(';', start);
        const std::string entry = windowsClassPath.substr(start, end == std::string::npos ? end : end - start);
        std::string host;
        if (entry.empty() || resolve(entry, &host)) {
            if (!first) hostClassPath += ':';
            hostClassPath += host;
            first = false;
        }
        if (end == std::string::npos) return hostClassPath;
        start = end + 1;
    }
}

bool IsDriveAbsolutePath(const std::string& text) {
    return text.size() >= 3 && std::isalpha(static_cast<unsigned char>(text[0])) && text[1] == ':' &&
           (text[2] == '\\' || text[2] == '/');
}

std::vector<std::string> TranslateJavaArguments(const std::vector<std::string>& arguments,
                                                const std::string& userHome,
                                                const HostPathResolver& resolve) {
    std::vector<std::string> host;
    if (!userHome.empty()) host.push_back("-Duser.home=" + userHome);
    size_t i = 0;
    for (; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const bool hasNext = i + 1 < arguments.size();
        if (IsClassPathOption(argument) && hasNext) {
            host.push_back(argument);
            host.push_back(MapClassPath(arguments[++i], resolve));
        } else if (argument.compare(0, 13, "--class-path=") == 0) {
            host.push_back("--class-path=" + MapClassPath(argument.substr(13), resolve));
        } else if (argument.compare(0, 2, "-D") == 0) {
            host.push_back(MapProperty(argument, resolve));
        } else if (TakesValue(argument) && hasNext) {
            host.push_back(argument);
            host.push_back(arguments[++i]);
        } else if (argument == "-jar" && hasNext) {
            host.push_back(argument);
            host.push_back(MapPath(arguments[++i], resolve));
            ++i;
            break;
        } else if (!argument.empty() && argument[0] == '-') {
            host.push_back(argument);
        } else {
            break;  // the main class
        }
    }
    host.insert(host.end(), arguments.begin() + static_cast<std::ptrdiff_t>(i), arguments.end());
    return host;
}

}  // namespace tarnwick
