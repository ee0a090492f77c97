#include "javacommand/java_command.h"

#include <initializer_list>
#include <utility>

#include "base/process_command_line.h"

namespace tarnwick {

namespace {

// Used when the caller knows no class path for the JVM: the classes.zip of
// the old JVM layout, beside the executable's bin folder.
constexpr std::string_view kFallbackClassPath = "..\\lib\\classes.zip;";

// The first library that exists, alone; else `main` followed by the optional
// libraries that exist. The optional ones are not looked at without `main`.
std::string ComposeClassPath(const std::string& home, const FileProbe& exists, const char* main,
                             std::initializer_list<const char*> optional) {
    const std::string classesZip = home + "\\lib\\classes.zip";
    if (exists(classesZip)) return classesZip;
    std::string classPath = home + main;
    if (!exists(classPath)) return std::string();
    for (const char* library : optional) {
        const std::string path = home + library;
        if (exists(path)) classPath += ";" + path;
    }
    return classPath;
}

}  // namespace

std::string ComposeJdkClassPath(const std::string& home, const FileProbe& exists) {
    return ComposeClassPath(home, exists, "\\lib\\dt.jar", {"\\lib\\tools.jar"});
}

std::string ComposeJreClassPath(const std::string& home, const FileProbe& exists) {
    return ComposeClassPath(home, exists, "\\lib\\rt.jar",
                            {"\\lib\\jaws.jar", "\\lib\\i18n.jar", "\\lib\\ext\\iiimp.jar"});
}

ClassToRun SplitClassLocation(const std::string& classLocation) {
    ClassToRun result;
    result.name = classLocation;
    const size_t slash = classLocation.rfind('\\');
    if (slash != std::string::npos) {
        // A drive's root keeps its backslash: "C:" alone is the current
        // folder of drive C.
        const bool driveRoot = slash == 2 && classLocation[1] == ':';
        result.folder = classLocation.substr(0, driveRoot ? 3 : slash);
        result.name = classLocation.substr(slash + 1);
    }
    const size_t ending = result.name.find(".class");
    if (ending != std::string::npos) result.name.erase(ending);
    return result;
}

bool BuildJavaCommand(const std::string& executable, std::string classPath,
                      const std::string& classLocation, std::string& args) {
    const ClassToRun classToRun = SplitClassLocation(classLocation);
    const std::string& classFolder = classToRun.folder;
    const std::string& className = classToRun.name;

    // An executable found through PATH (no backslash) has no folder to place
    // the fallback in, so it runs without a class path option.
    std::string effective;
    const size_t exeSlash = executable.rfind('\\');
    if (exeSlash != std::string::npos) {
        if (classPath.empty()) {
            effective = executable.substr(0, exeSlash + 1);
            effective += kFallbackClassPath;
        } else {
            effective = std::move(classPath);
            effective += ';';
        }
        effective += classFolder;
    }

    for (const JvmCommandRow& row : JvmCommandTable) {
        // Case-sensitive on purpose: "JAVA.EXE" is no known kind.
        if (executable.find(row.executableName) == std::string::npos) continue;
        if (!effective.empty()) {
            args.assign(row.classPathOption);
            args += QuoteArgument(effective);
        }
        args += ' ';
        args += className;
        return true;
    }
    return false;
}

bool JavaCommand::IsKnownKind() const {
    std::string arguments;
    return BuildJavaCommand(executable, classPath, classLocation, arguments);
}

std::string JavaCommand::CommandLine() const {
    std::string arguments;
    BuildJavaCommand(executable, classPath, classLocation, arguments);
    return QuoteExecutable(executable) + " " + arguments;
}

std::string JvmHomeOf(const std::string& executable) {
    const size_t bin = executable.rfind("\\bin");
    return bin == std::string::npos ? executable : executable.substr(0, bin);
}

}  // namespace tarnwick
