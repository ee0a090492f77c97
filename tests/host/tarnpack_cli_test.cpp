// Runs the real tarnpack: refusals print one line and leave no output file.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "output_file.h"
#include "tests/host/tarnpack_test_support.h"

namespace tarnpack {
namespace {

using test::ScratchFolder;

constexpr uint64_t kFourGiB = uint64_t{1} << 32;

struct RunResult {
    int status = -1;
    std::string out;
    std::string err;
};

std::string Text(const std::string& path) {
    const std::vector<uint8_t> bytes = test::ReadFile(path);
    return std::string(bytes.begin(), bytes.end());
}

class TarnpackCliTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_.Write("launcher.exe", test::LauncherImage(0x200, {0x200, 0x400}));
        std::vector<uint8_t> tail = test::LauncherImage(0x200, {0x200, 0x400});
        tail.resize(tail.size() + 100, 0xEE);
        folder_.Write("tail.exe", tail);
        folder_.Write("notpe.exe", test::Pattern(3000, 1));
        folder_.Write("Main.class", test::MinimalClass("Main"));
        folder_.Write("Verify.class", test::MinimalClass("Verify"));
        folder_.Write("plain.txt", std::string("just text"));
        std::vector<uint8_t> truncated = test::MinimalClass("Main");
        truncated.resize(truncated.size() - 3);
        folder_.Write("Truncated.class", truncated);
        folder_.Write("criteria.txt", std::string("vendor=sun:version=1.2\r\n"));
        folder_.Write("long-criteria.txt", std::string(65536, 'v'));
    }

    // Runs tarnpack in the scratch folder with the arguments, quoted.
    RunResult Tarnpack(const std::vector<std::string>& args) {
        std::string command = "cd '" + folder_.Path("") + "' && '" TARNPACK_EXE "'";
        for (const std::string& arg : args) command += " '" + arg + "'";
        command += " >'" + folder_.Path("stdout") + "' 2>'" + folder_.Path("stderr") + "'";
        const int raw = std::system(command.c_str());
        RunResult run;
        run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        run.out = Text(folder_.Path("stdout"));
        run.err = Text(folder_.Path("stderr"));
        return run;
    }

    void ExpectRefusal(const std::vector<std::string>& args, const std::string& fragment,
                       const std::string& output) {
        const RunResult run = Tarnpack(args);
        EXPECT_NE(run.status, 0);
        EXPECT_EQ(run.err.rfind("tarnpack: ", 0), 0u) << run.err;
        EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << "not one line: " << run.err;
        EXPECT_NE(run.err.find(fragment), std::string::npos) << run.err;
        EXPECT_FALSE(test::Exists(folder_.Path(output))) << output;
        EXPECT_FALSE(test::Exists(TemporaryNameFor(folder_.Path(output)))) << output;
    }

    ScratchFolder folder_;
};

TEST_F(TarnpackCliTest, BuildWritesAPackageThatListsWithItsCriteria) {
    const RunResult built =
        Tarnpack({"build", "-o", "setup.exe", "--launcher", "launcher.exe", "--archive", "Main.class",
                  "--verify", "Verify.class", "--criteria-file", "criteria.txt"});
    ASSERT_EQ(built.status, 0) << built.err;
    const size_t size = 0x800 + 43 + (2 + 10 + test::MinimalClass("Main").size()) +
                        (2 + 12 + test::MinimalClass("Verify").size()) + (2 + 18 + 2 + 22);
    EXPECT_EQ(built.out, "setup.exe: " + std::to_string(size) + " bytes, the package starts at 2048\n");
    const RunResult listed = Tarnpack({"list", "setup.exe"});
    ASSERT_EQ(listed.status, 0) << listed.err;
    EXPECT_NE(listed.out.find("Exe Size (2048)"), std::string::npos) << listed.out;
    EXPECT_NE(listed.out.find("Section Info: Name(Main.class), Size(56)"), std::string::npos) << listed.out;
    EXPECT_NE(listed.out.find("package start 2048, 3 sections\n"), std::string::npos) << listed.out;
    // The line end an editor leaves in the file is not part of the criteria.
    EXPECT_NE(listed.out.find("criteria: vendor=sun:version=1.2\n"), std::string::npos) << listed.out;
    EXPECT_EQ(listed.out.find('\r'), std::string::npos);
}

TEST_F(TarnpackCliTest, ArchiveWritesAClassThatListsWithItsSections) {
    const RunResult packed =
        Tarnpack({"archive", "-o", "Out.class", "--class", "Main.class", "--section", "Docs", "plain.txt",
                  "criteria.txt", "--compressed", "Packed", "plain.txt", "--bundled-jvm", "launcher.exe",
                  "--section", "Empty", "--bundled-jvm", "tail.exe"});
    ASSERT_EQ(packed.status, 0) << packed.err;
    const RunResult listed = Tarnpack({"list", "Out.class"});
    ASSERT_EQ(listed.status, 0) << listed.err;
    for (const char* want :
         {"with 4 sections", "Section Info:(0) Name(Docs)", "Name(plain.txt), Size(9)", "Name(Packed), Size(",
          "ResourceCount(1), Compressed(Yes)", "Name(BundledVMInstallers)",
          "ResourceCount(2), Compressed(No)", "Name(tail.exe)",
          "Section Info:(3) Name(Empty), Size(0), ResourceCount(0)", "offset table at "}) {
        EXPECT_NE(listed.out.find(want), std::string::npos) << want << "\n" << listed.out;
    }
}

TEST_F(TarnpackCliTest, HelpGoesToStandardOutput) {
    for (const char* command : {"build", "archive", "list"}) {
        const RunResult run = Tarnpack({command, "--help"});
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.out.rfind(std::string("usage: tarnpack ") + command, 0), 0u) << run.out;
        EXPECT_EQ(run.err, "");
    }
    const RunResult top = Tarnpack({"--help"});
    EXPECT_EQ(top.status, 0);
    EXPECT_EQ(top.out.rfind("usage: tarnpack COMMAND", 0), 0u);
}

TEST_F(TarnpackCliTest, BuildRefusals) {
    folder_.WriteSparse("Huge.class", {0xCA, 0xFE, 0xBA, 0xBE}, kFourGiB);
    const std::vector<std::string> good = {"--launcher", "launcher.exe", "--archive",  "Main.class",
                                           "--verify",   "Verify.class", "--criteria", "vendor=sun"};
    auto with = [&good](std::vector<std::string> change) {
        std::vector<std::string> args = {"build", "-o", "setup.exe"};
        std::vector<std::string> rest = good;
        for (size_t i = 0; i + 1 < change.size(); i += 2) {
            bool replaced = false;
            for (size_t j = 0; j + 1 < rest.size(); j += 2) {
                if (rest[j] == change[i]) {
                    rest[j + 1] = change[i + 1];
                    replaced = true;
                }
            }
            if (!replaced) rest.insert(rest.end(), {change[i], change[i + 1]});
        }
        args.insert(args.end(), rest.begin(), rest.end());
        return args;
    };
    const struct {
        std::vector<std::string> args;
        const char* fragment;
    } cases[] = {
        {with({"--launcher", "tail.exe"}), "tail.exe has 100 bytes behind its PE image"},
        {with({"--launcher", "notpe.exe"}), "notpe.exe is no launcher: it has no readable PE image"},
        {with({"--launcher", "missing.exe"}), "cannot open missing.exe"},
        {with({"--archive", "plain.txt"}), "plain.txt is no Java class file"},
        {with({"--verify", "launcher.exe"}), "launcher.exe is no Java class file"},
        {with({"--criteria", std::string(65536, 'x')}),
         "the criteria text is 65536 bytes long; at most 65535 fit"},
        {{"build", "-o", "setup.exe", "--launcher", "launcher.exe", "--archive", "Main.class", "--verify",
          "Verify.class", "--criteria-file", "long-criteria.txt"},
         "the criteria text is 65536 bytes long"},
        {with({"--archive", "Huge.class"}), "the launcher reads files below 4 GiB only"},
        {with({"--criteria-file", "criteria.txt"}), "give either --criteria or --criteria-file"},
        {{"build", "-o", "setup.exe", "--launcher", "launcher.exe"}, "build: --archive is missing"},
        {{"build", "--launcher", "launcher.exe"}, "build: -o is missing"},
        {{"build", "-o", "setup.exe", "--verify", "Verify.class", "--verify", "Verify.class"},
         "build: --verify is given twice"},
        {with({"--frobnicate", "x"}), "build: unknown argument --frobnicate (see tarnpack build --help)"},
    };
    for (const auto& refusal : cases) {
        SCOPED_TRACE(refusal.fragment);
        ExpectRefusal(refusal.args, refusal.fragment, "setup.exe");
    }
    const std::string missingFolder = "nowhere/setup.exe";
    ExpectRefusal({"build", "-o", missingFolder, "--launcher", "launcher.exe", "--archive", "Main.class",
                   "--verify", "Verify.class", "--criteria", "x"},
                  "cannot create nowhere/setup.exe.partial", missingFolder);
}

TEST_F(TarnpackCliTest, ArchiveRefusals) {
    folder_.WriteSparse("huge.bin", {}, kFourGiB);
    folder_.WriteSparse("half1.bin", {}, kFourGiB / 2);
    folder_.WriteSparse("half2.bin", {}, kFourGiB / 2);
    ASSERT_EQ(Tarnpack({"archive", "-o", "Packed.class", "--class", "Main.class"}).status, 0);
    std::vector<uint8_t> trailing = test::MinimalClass("Main");
    trailing.push_back(0);
    folder_.Write("Trailing.class", trailing);

    const struct {
        std::vector<std::string> args;
        const char* fragment;
    } cases[] = {
        {{"--class", "plain.txt"}, "plain.txt is no Java class file: it does not start with CA FE BA BE"},
        {{"--class", "Truncated.class"},
         "Truncated.class is no well-formed class file: it ends inside the methods"},
        {{"--class", "Trailing.class"},
         "Trailing.class is no well-formed class file: 1 bytes follow its last attribute"},
        {{"--class", "Packed.class"}, "Packed.class already carries resources"},
        {{"--class", "missing.class"}, "cannot open missing.class"},
        {{"--class", "Main.class", "--section", "Files", "plain.txt", "missing.txt"},
         "cannot open missing.txt"},
        {{"--class", "Main.class", "--section", "Big", "huge.bin"}, "huge.bin is 4 GiB or larger"},
        {{"--class", "Main.class", "--section", "Big", "half1.bin", "half2.bin"},
         "bytes; a class attribute holds less than 4 GiB"},
        {{"--class", "Main.class", "--compressed"}, "--compressed needs a value"},
        {{"--class", "Main.class", "--bundled-jvm", "--section", "x"}, "--bundled-jvm needs a value"},
        {{"--section", "Files", "plain.txt"}, "archive: --class is missing"},
        {{"--class", "Main.class", "--class", "Main.class"}, "--class is given twice"},
        {{"--class", "Main.class", "stray.txt"}, "archive: unknown argument stray.txt"},
    };
    for (const auto& refusal : cases) {
        SCOPED_TRACE(refusal.fragment);
        std::vector<std::string> args = {"archive", "-o", "Out.class"};
        args.insert(args.end(), refusal.args.begin(), refusal.args.end());
        ExpectRefusal(args, refusal.fragment, "Out.class");
    }
}

TEST_F(TarnpackCliTest, ARefusalKeepsAnEarlierOutput) {
    folder_.Write("setup.exe", std::string("earlier"));
    const RunResult run = Tarnpack({"build", "-o", "setup.exe", "--launcher", "tail.exe", "--archive",
                                    "Main.class", "--verify", "Verify.class", "--criteria", "x"});
    EXPECT_NE(run.status, 0);
    EXPECT_EQ(Text(folder_.Path("setup.exe")), "earlier");
}

TEST_F(TarnpackCliTest, ListFailsWhereTheLauncherWould) {
    const struct {
        std::vector<std::string> args;
        const char* fragment;
    } cases[] = {
        {{"list", "launcher.exe"}, "the launcher cannot read the package of launcher.exe"},
        {{"list", "plain.txt"}, "the launcher cannot read the Java archive plain.txt"},
        {{"list", "Main.class"}, "the launcher cannot read the Java archive Main.class"},
        {{"list", "missing"}, "cannot open missing"},
        {{"list"}, "list: give exactly one file"},
        {{"frobnicate"}, "unknown command frobnicate"},
        {{}, "no command given"},
    };
    for (const auto& refusal : cases) {
        SCOPED_TRACE(refusal.fragment);
        ExpectRefusal(refusal.args, refusal.fragment, "none");
    }
    // The launcher's own line for a file without a package comes first.
    const RunResult run = Tarnpack({"list", "launcher.exe"});
    EXPECT_NE(run.out.find("Installation executable  launcher.exe is either Corrupted"), std::string::npos)
        << run.out;
}

}  // namespace
}  // namespace tarnpack
