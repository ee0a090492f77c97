// The real tarnpack over cases/tarnpack_cli.txt, in order, in one folder: a
// refusal is one line on stderr and a non-zero exit, and leaves no output
// (nor its temporary file) behind, or an earlier output unchanged.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <filesystem>
#include "output_file.h"
#include "tests/host/case_table.h"
#include "tests/host/test_bytes.h"

namespace tarnpack {
namespace {

namespace t = tarnwick::test;

std::string Contents(const std::string& path) {
    const t::Data bytes = std::filesystem::exists(path) ? t::ReadFile(path) : t::Build("t:(none)");
    return {bytes.begin(), bytes.end()};
}

TEST(TarnpackCliTest, Cases) {
    t::ScratchFolder folder;
    // Sparse files of 4 GiB and two halves of it.
    for (auto [name, size] : {std::pair{"Huge.class", 1ull << 32}, {"huge.bin", 1ull << 32}, {"half1.bin", 1ull << 31},
                              {"half2.bin", 1ull << 31}})
        std::filesystem::resize_file(folder.Write(name, t::Build(name[0] == 'H' ? "x:CAFEBABE" : "")), size);
    t::ForEachCase("tarnpack_cli.txt", [&folder](const t::Case& c) {
        const t::Data bytes = c.in[0] == "run" ? t::Data() : t::Build(c.arg(2));
        if (c.in[0] == "file") folder.Write(c.in[1], bytes);
        if (c.in[0] == "same") {  // the first 16 bytes that differ
            const std::string got = Contents(folder.Path(c.in[1])), want(bytes.begin(), bytes.end());
            const size_t at = size_t(std::mismatch(got.begin(), got.end(), want.begin(), want.end()).first -
                                     got.begin());
            EXPECT_EQ(got.substr(at, 16), want.substr(at, 16)) << "at " << at << " of " << got.size();
        }
        if (c.in[0] != "run") return;
        std::string command = "cd '" + folder.Path("") + "' && '" TARNPACK_EXE "'", output = "none";
        for (size_t i = 1; i < c.in.size(); ++i) {
            // "<name": the contents of that file as the argument.
            const std::string& arg = c.in[i];
            // "ulimit=KB": the output cannot grow past KB kilobytes (a full disk).
            if (arg.rfind("ulimit=", 0) == 0) command = "trap '' XFSZ; ulimit -f " + arg.substr(7) + "; " + command;
            else if (!arg.empty()) command += " '" + (arg[0] == '<' ? Contents(folder.Path(arg.substr(1))) : arg) + "'";
            if (arg == "-o" && i + 1 < c.in.size()) output = folder.Path(c.in[i + 1]);
        }
        const std::string earlier = Contents(output);
        const int raw = std::system((command + " >stdout 2>stderr").c_str());
        const std::string out = Contents(folder.Path("stdout")), err = Contents(folder.Path("stderr"));
        // Wanted: the exit status, stderr (a refusal's: a piece of its one line), pieces of stdout.
        EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, std::stoi(c.want[0])) << err;
        if (c.want[0] == "0") {
            EXPECT_EQ(err, "");
        } else {
            EXPECT_EQ(err.rfind("tarnpack: ", 0), 0u) << err;
            EXPECT_EQ(err.find('\n'), err.size() - 1) << "not one line: " << err;
            EXPECT_NE(err.find(c.want[1]), std::string::npos) << err;
            EXPECT_EQ(Contents(output), earlier) << output;
            EXPECT_FALSE(std::filesystem::exists(TemporaryNameFor(output))) << output;
        }
        for (size_t i = 2; i < c.want.size(); ++i) {
            const bool absent = c.want[i][0] == '!';
            EXPECT_EQ(out.find(c.want[i].substr(absent)) == std::string::npos, absent) << c.want[i] << "\n" << out;
        }
    });
}

}  // namespace
}  // namespace tarnpack
