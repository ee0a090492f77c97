// Loading and extracting a package against a plain copy of the same bytes,
// in one run under Wine, and the peak memory of the load.
//
//   package_bench.exe SETUP.EXE [ROUNDS]
//
// Prints the median time of each and their ratio, and the peak of the heap
// bytes in use during one load and extraction against the package size.
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <new>
#include <cstdio>
#include <string>
#include <vector>

#include "app/launcher_run.h"
#include "base/win32/file_source.h"
#include "bench/bench_clock.h"
#include "package/pe_image.h"

// Every allocation goes through these, so the bench sees the heap's peak
// exactly (Wine's process counters are too coarse for it).
namespace {
size_t heapInUse = 0;
size_t heapPeak = 0;
}  // namespace

void* operator new(size_t size) {
    auto* block = static_cast<size_t*>(std::malloc(size + sizeof(size_t)));
    if (block == nullptr) throw std::bad_alloc();
    *block = size;
    heapInUse += size;
    if (heapInUse > heapPeak) heapPeak = heapInUse;
    return block + 1;
}

void operator delete(void* pointer) noexcept {
    if (pointer == nullptr) return;
    size_t* block = static_cast<size_t*>(pointer) - 1;
    heapInUse -= *block;
    std::free(block);
}

void operator delete(void* pointer, size_t) noexcept { operator delete(pointer); }

namespace {

using tarnwick::bench::Median;
using tarnwick::bench::Now;

std::string TempPath(const char* name) {
    char folder[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + name;
}

// What the launcher does: read the table, load the three sections, write
// two of them into the temporary folder, then delete them again.
std::string setupPath;

bool LoadAndExtract() {
    tarnwick::CancelEvent cancel;
    tarnwick::RunSettings settings;
    settings.ownPath = setupPath;
    tarnwick::LauncherRun run(settings, cancel);
    const bool ok = run.LoadPackage().done && run.ExtractVerifyClass().done && run.ExtractJavaArchive().done &&
                    run.ExtractSearchCriteria().done;
    run.Finish();
    return ok;
}

// The same bytes moved the plainest way: one read, then one write, or writes
// of `writeSize` bytes (the archive's own write size shows what it costs).
bool PlainCopy(const std::string& source, uint32_t start, uint32_t size, uint32_t writeSize) {
    tarnwick::ScopedHandle in(::CreateFileA(source.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    const std::string target = TempPath("tw_bench_copy.bin");
    tarnwick::ScopedHandle out(::CreateFileA(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                             FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!in.IsValid() || !out.IsValid()) return false;
    std::vector<char> bytes(size);
    DWORD done = 0;
    ::SetFilePointer(in.Get(), static_cast<LONG>(start), nullptr, FILE_BEGIN);
    bool ok = ::ReadFile(in.Get(), bytes.data(), size, &done, nullptr) && done == size;
    for (uint32_t at = 0; ok && at < size; at += done) {
        const DWORD part = std::min(writeSize, size - at);
        ok = ::WriteFile(out.Get(), bytes.data() + at, part, &done, nullptr) && done == part;
    }
    out.Close();
    ::DeleteFileA(target.c_str());
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: package_bench SETUP.EXE [ROUNDS]\n");
        return 2;
    }
    setupPath = argv[1];
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 15;

    WIN32_FILE_ATTRIBUTE_DATA attributes;
    if (!::GetFileAttributesExA(argv[1], GetFileExInfoStandard, &attributes)) {
        std::fprintf(stderr, "package_bench: cannot read %s\n", argv[1]);
        return 2;
    }
    const uint32_t fileSize = attributes.nFileSizeLow;
    uint32_t start = 0;
    {
        tarnwick::FileSource file;
        file.Open(argv[1]);
        start = tarnwick::ImageSize(file);
    }
    const uint32_t packageSize = fileSize - start;

    heapPeak = heapInUse;
    const size_t heapBefore = heapInUse;
    if (!LoadAndExtract()) {
        std::fprintf(stderr, "package_bench: the launcher could not load %s\n", argv[1]);
        return 1;
    }
    const size_t peakGrowth = heapPeak - heapBefore;

    std::vector<double> launcher, copy, smallWrites;
    for (int i = 0; i < rounds; ++i) {
        double t0 = Now();
        LoadAndExtract();
        double t1 = Now();
        PlainCopy(argv[1], start, packageSize, packageSize);
        double t2 = Now();
        PlainCopy(argv[1], start, packageSize, 1024);
        double t3 = Now();
        launcher.push_back(t1 - t0);
        copy.push_back(t2 - t1);
        smallWrites.push_back(t3 - t2);
    }
    const double a = Median(launcher), b = Median(copy), c = Median(smallWrites);
    std::printf("package: %u bytes behind an image of %u bytes, %d rounds\n", packageSize, start, rounds);
    std::printf("load and extract: %.2f ms (median)\n", a * 1000);
    std::printf("plain copy:       %.2f ms (median)\n", b * 1000);
    std::printf("ratio:            %.2f\n", a / b);
    std::printf("plain copy in the archive's 1024-byte writes: %.2f ms; load and extract against it: %.2f\n",
                c * 1000, a / c);
    std::printf("peak heap during a load: %zu bytes, %.3f x the package\n", peakGrowth,
                double(peakGrowth) / packageSize);
    return 0;
}
