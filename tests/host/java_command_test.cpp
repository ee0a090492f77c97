#include "javacommand/java_command.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace tarnwick {
namespace {

// A machine on which exactly the given paths below `home` exist; it keeps
// the paths it was asked about.
struct FakeFiles {
    std::set<std::string> existing;
    std::vector<std::string> asked;

    FakeFiles(const std::string& home, std::initializer_list<const char*> relative) {
        for (const char* path : relative) existing.insert(home + path);
    }
    FileProbe Probe() {
        return [this](const std::string& path) {
            asked.push_back(path);
            return existing.count(path) != 0;
        };
    }
};

struct ComposeCase {
    std::initializer_list<const char*> files;
    const char* want;  // 'H' stands for the home folder
};

void CheckComposer(std::string (*compose)(const std::string&, const FileProbe&), const std::string& home,
                   std::initializer_list<ComposeCase> cases) {
    for (const ComposeCase& c : cases) {
        FakeFiles files(home, c.files);
        const std::string got = compose(home, files.Probe());
        std::string want;
        for (const char* p = c.want; *p; ++p) want += *p == 'H' ? home : std::string(1, *p);
        EXPECT_EQ(got, want) << "want " << c.want << " saw " << got;
    }
}

TEST(ComposeClassPathTest, JdkTakesClassesZipElseDtAndTools) {
    CheckComposer(&ComposeJdkClassPath, "C:\\jdk1.2.2",
                  {{{"\\lib\\classes.zip", "\\lib\\dt.jar", "\\lib\\tools.jar"}, "H\\lib\\classes.zip"},
                   {{"\\lib\\dt.jar", "\\lib\\tools.jar"}, "H\\lib\\dt.jar;H\\lib\\tools.jar"},
                   {{"\\lib\\dt.jar"}, "H\\lib\\dt.jar"},
                   {{"\\lib\\tools.jar", "\\lib\\rt.jar"}, ""}});
}

TEST(ComposeClassPathTest, JreTakesClassesZipElseRtAndTheOptionalLibraries) {
    CheckComposer(&ComposeJreClassPath, "C:\\Program Files\\JavaSoft\\JRE\\1.3",
                  {{{"\\lib\\classes.zip", "\\lib\\rt.jar", "\\lib\\jaws.jar"}, "H\\lib\\classes.zip"},
                   {{"\\lib\\rt.jar", "\\lib\\i18n.jar"}, "H\\lib\\rt.jar;H\\lib\\i18n.jar"},
                   {{"\\lib\\rt.jar", "\\lib\\ext\\iiimp.jar", "\\lib\\i18n.jar", "\\lib\\jaws.jar"},
                    "H\\lib\\rt.jar;H\\lib\\jaws.jar;H\\lib\\i18n.jar;H\\lib\\ext\\iiimp.jar"},
                   {{"\\lib\\rt.jar", "\\lib\\iiimp.jar"}, "H\\lib\\rt.jar"},
                   {{"\\lib\\jaws.jar", "\\lib\\i18n.jar", "\\lib\\dt.jar"}, ""}});
    // Without rt.jar the optional libraries are not even looked at.
    FakeFiles files("C:\\jre", {"\\lib\\jaws.jar"});
    ComposeJreClassPath("C:\\jre", files.Probe());
    EXPECT_EQ(files.asked, (std::vector<std::string>{"C:\\jre\\lib\\classes.zip", "C:\\jre\\lib\\rt.jar"}));
}

// One rule for the search's verification, the pre-launch verification and
// the launch.
TEST(SplitClassLocationTest, CutsTheFileNameBeforeItsFirstDotClass) {
    const struct {
        const char* location;
        const char* folder;
        const char* name;
    } cases[] = {
        {"C:\\Temp\\Verify.class", "C:\\Temp", "Verify"},
        {"C:\\Temp\\Verify", "C:\\Temp", "Verify"},
        {"C:\\x.classes\\Verify.class", "C:\\x.classes", "Verify"},
        {"C:\\Temp\\Verify.CLASS", "C:\\Temp", "Verify.CLASS"},
        {"C:\\Users\\j.classen\\Temp\\Verify.class", "C:\\Users\\j.classen\\Temp", "Verify"},
        {"C:\\T\\Verify.class.bak", "C:\\T", "Verify"},
        {"C:\\T\\A.classic.class", "C:\\T", "A"},
        {"Verify.class", "", "Verify"},
        {"\\Verify.class", "", "Verify"},
    };
    for (const auto& c : cases) {
        const ClassToRun got = SplitClassLocation(c.location);
        EXPECT_EQ(got.folder, c.folder) << "location " << c.location << " saw folder " << got.folder;
        EXPECT_EQ(got.name, c.name) << "location " << c.location << " saw name " << got.name;
    }
}

TEST(BuildJavaCommandTest, ComposesTheArgumentTextByteForByte) {
    struct Case {
        const char* executable;
        const char* classPath;
        const char* classLocation;
        const char* want;  // nullptr: refused
    };
    const Case cases[] = {
        // The three shapes.
        {"C:\\jdk\\bin\\java.exe", "L", "C:\\T\\Verify", " -classpath \"L;C:\\T\" Verify"},
        {"C:\\jre\\bin\\jre.exe", "C:\\rt.jar", "C:\\T\\Verify", " -cp \"C:\\rt.jar;C:\\T\" Verify"},
        {"C:\\WINDOWS\\jview.exe", "L", "C:\\T\\Verify", " /cp:p \"L;C:\\T\" Verify"},
        // No class path: the fallback beside the executable's folder.
        {"C:\\WINDOWS\\jview.exe", "", "C:\\T\\Verify", " /cp:p \"C:\\WINDOWS\\..\\lib\\classes.zip;C:\\T\" Verify"},
        {"C:\\Program Files\\bin\\java.exe", "", "C:\\Temp x\\Installer.class",
         " -classpath \"C:\\Program Files\\bin\\..\\lib\\classes.zip;C:\\Temp x\" Installer"},
        // An executable without a folder gets no class path at all.
        {"java.exe", "L", "C:\\T\\Verify", " Verify"},
        {"jview.exe", "", "C:\\T\\Verify.class", " Verify"},
        // A class without a folder leaves the class path ending in ';'.
        {"C:\\j\\java.exe", "L", "Verify.class", " -classpath \"L;\" Verify"},
        {"C:\\j\\java.exe", "", "Verify", " -classpath \"C:\\j\\..\\lib\\classes.zip;\" Verify"},
        // The name is cut before its first ".class"; a folder's ".class" stays.
        {"C:\\j\\jre.exe", "L", "C:\\T.class\\Verify.class.bak", " -cp \"L;C:\\T.class\" Verify"},
        // Rows are tried in table order, anywhere in the path.
        {"C:\\jview.exe.d\\jre.exe", "L", "C:\\T\\V", " -cp \"L;C:\\T\" V"},
        {"C:\\jre.exe\\java.exe", "L", "C:\\T\\V", " -classpath \"L;C:\\T\" V"},
        // Unknown kinds, and known names in other case, are refused.
        {"C:\\JDK\\BIN\\JAVA.EXE", "L", "C:\\T\\Verify", nullptr},
        {"C:\\jdk\\bin\\javaw.exe", "L", "C:\\T\\Verify", nullptr},
    };
    for (const Case& c : cases) {
        std::string args = c.want ? "" : "untouched";
        const bool got = BuildJavaCommand(c.executable, c.classPath, c.classLocation, args);
        EXPECT_EQ(got, c.want != nullptr) << "executable " << c.executable;
        EXPECT_EQ(args, c.want ? c.want : "untouched")
            << "executable " << c.executable << " class " << c.classLocation << " saw [" << args << "]";
    }
}

}  // namespace
}  // namespace tarnwick
