// The class path of a JVM's own libraries and the argument text that runs a
// class in a JVM, for the three kinds of JVM executable.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace tarnwick {

// Which option carries the class path for which executable. Searched in
// this order; the option texts begin and end with one blank.
struct JvmCommandRow {
    std::string_view executableName;
    std::string_view classPathOption;
};

inline constexpr JvmCommandRow JvmCommandTable[] = {
    {"java.exe", " -classpath "},
    {"jre.exe", " -cp "},
    {"jview.exe", " /cp:p "},
};

// Asks the machine whether a path exists (on Windows: its attributes can be
// read, so a folder counts too). Kept as a parameter so the composers are
// tested without a file system.
using FileProbe = std::function<bool(const std::string& path)>;

// The class path of a development kit below `home` (no trailing backslash):
// lib\classes.zip alone if it exists, else lib\dt.jar followed by
// lib\tools.jar when present, else empty.
std::string ComposeJdkClassPath(const std::string& home, const FileProbe& exists);

// The class path of a runtime below `home`: lib\classes.zip alone if it
// exists, else lib\rt.jar followed by whichever of lib\jaws.jar,
// lib\i18n.jar and lib\ext\iiimp.jar exist, else empty.
std::string ComposeJreClassPath(const std::string& home, const FileProbe& exists);

// Where a class lies and the name it runs by: `classLocation` (a class file
// path, with or without ".class") split at its last backslash; the name is
// the file name cut before its first ".class". Only the file name is cut: a
// folder such as "C:\Users\j.classen\" is part of where the class lies. A
// drive's root keeps its backslash ("C:\").
struct ClassToRun {
    std::string folder;  // empty when the location has no backslash
    std::string name;
};
ClassToRun SplitClassLocation(const std::string& classLocation);

// The argument text that runs the class at `classLocation` (see
// SplitClassLocation) in `executable`: the class-path option with
// the class path quoted by QuoteArgument (`classPath`, or the JVM's own fallback when empty,
// then the class's folder), a blank and the class name. It begins with a
// blank; the caller joins it to the executable path. False, and `args`
// untouched, for an executable of no known kind. Callers pass `args` empty.
bool BuildJavaCommand(const std::string& executable, std::string classPath,
                      const std::string& classLocation, std::string& args);

// One run of a class in a JVM, as the search's verification, the
// pre-launch verification and the launch all make it.
struct JavaCommand {
    std::string executable;
    std::string classPath;      // the JVM's libraries; empty: its fallback
    std::string classLocation;  // the class file, with or without ".class"

    // False for an executable of no known kind (see JvmCommandTable).
    bool IsKnownKind() const;
    // The executable (in double quotes when it holds a blank or a tab), a
    // blank, and the arguments BuildJavaCommand gives; an executable of no
    // known kind gets none.
    std::string CommandLine() const;
};

// The home folder of a JVM executable: the path cut before its last "\bin"
// (case-sensitive), or the whole path when it has none.
std::string JvmHomeOf(const std::string& executable);

}  // namespace tarnwick
