// The drive scan of the JVM search against a bare FindFirstFile walk of the
// same tree, in one run under Wine.
//
//   scan_bench.exe ROOT [ROUNDS]
//
// Prints the median time of each and their ratio. The scan does more than
// the bare walk: it keeps each folder's identity (from its parent's
// listing), so that no folder is entered twice.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/log_sink.h"
#include "base/texts.h"
#include "bench/bench_clock.h"
#include "jvmsearch/jvm_search.h"
#include "jvmsearch/win32/windows_machine.h"

namespace {

using tarnwick::bench::Median;
using tarnwick::bench::Now;

class NoLog final : public tarnwick::LogSink {
  public:
    bool IsOpen() const override { return false; }
    void WriteLine(std::string_view) override {}
};

struct Counts {
    size_t files = 0;
    size_t folders = 0;
};

// The plainest walk: every entry listed, every folder entered.
void BareWalk(const std::string& folder, Counts* counts) {
    WIN32_FIND_DATAA found;
    HANDLE find = ::FindFirstFileA((folder + "\\*.*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const std::string name = found.cFileName;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (name == "." || name == "..") continue;
            ++counts->folders;
            BareWalk(folder + "\\" + name, counts);
        } else {
            ++counts->files;
        }
    } while (::FindNextFileA(find, &found));
    ::FindClose(find);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: scan_bench ROOT [ROUNDS]\n");
        return 2;
    }
    std::string root = argv[1];
    if (!root.empty() && root.back() == '\\') root.pop_back();
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 5;

    tarnwick::WindowsMachine machine;
    tarnwick::EnglishTexts texts;
    NoLog log;
    std::vector<double> scan, bare;
    Counts counts;
    size_t matches = 0;
    for (int i = 0; i < rounds; ++i) {
        double t0 = Now();
        tarnwick::JvmSearch search(machine, texts, log, "");
        std::vector<std::string> lists[2];
        search.ScanFolderTree(root + "\\", lists);
        double t1 = Now();
        counts = Counts();
        BareWalk(root, &counts);
        double t2 = Now();
        matches = lists[0].size() + lists[1].size();
        scan.push_back(t1 - t0);
        bare.push_back(t2 - t1);
    }
    const double a = Median(scan), b = Median(bare);
    std::printf("tree: %zu files in %zu folders, %zu java.exe/jre.exe, %d rounds\n", counts.files,
                counts.folders, matches, rounds);
    std::printf("drive scan: %.1f ms (median)\n", a * 1000);
    std::printf("bare walk:  %.1f ms (median)\n", b * 1000);
    std::printf("ratio:      %.2f\n", a / b);
    return 0;
}
