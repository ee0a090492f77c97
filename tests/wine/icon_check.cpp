// Reads an executable's icon back as its dialogs (LoadImage of icon 128)
// and Explorer (ExtractIconEx, the large icon) get it, and compares each, drawn pixel for
// pixel, with the icon file drawn at the same size:
//   icon_check.exe EXE ICO
// One line per comparison ("LoadImage 16x16: same", or how many pixels
// differ and the first); exit status 0 when all are the same.
#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

// The icon drawn over magenta, so a wrong mask shows too.
std::vector<uint32_t> Drawn(HICON icon, int size) {
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), size, -size, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC dc = ::CreateCompatibleDC(nullptr);
    HBITMAP bitmap = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    std::vector<uint32_t> pixels;
    if (bitmap != nullptr) {
        HGDIOBJ old = ::SelectObject(dc, bitmap);
        auto* first = static_cast<uint32_t*>(bits);
        std::fill(first, first + size * size, 0x00FF00FFu);
        ::DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
        ::GdiFlush();
        pixels.assign(first, first + size * size);
        ::SelectObject(dc, old);
        ::DeleteObject(bitmap);
    }
    ::DeleteDC(dc);
    return pixels;
}

bool Compare(const char* how, HICON got, const char* iconFile, int size) {
    HICON want = static_cast<HICON>(::LoadImageA(nullptr, iconFile, IMAGE_ICON, size, size, LR_LOADFROMFILE));
    if (got == nullptr || want == nullptr) {
        std::printf("%s %dx%d: no icon (%s)\n", how, size, size, got == nullptr ? "executable" : "icon file");
        return false;
    }
    const std::vector<uint32_t> a = Drawn(got, size), b = Drawn(want, size);
    int differ = 0, first = -1;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
        if (a[i] != b[i] && differ++ == 0) first = static_cast<int>(i);
    }
    if (differ == 0 && !a.empty() && a.size() == b.size()) {
        std::printf("%s %dx%d: same\n", how, size, size);
        return true;
    }
    std::printf("%s %dx%d: %d of %d pixels differ, the first at (%d,%d): %08x, the file's %08x\n", how, size, size,
                differ, size * size, first % size, first / size, first < 0 ? 0 : a[first], first < 0 ? 0 : b[first]);
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::printf("usage: icon_check EXE ICO\n");
        return 2;
    }
    bool same = true;
    HMODULE module = ::LoadLibraryExA(argv[1], nullptr, LOAD_LIBRARY_AS_DATAFILE);
    for (const int size : {16, 32}) {
        HICON icon = static_cast<HICON>(::LoadImageA(module, MAKEINTRESOURCEA(128), IMAGE_ICON, size, size, 0));
        same = Compare("LoadImage", icon, argv[2], size) && same;
    }
    // Explorer's icon of the file. (Wine draws ExtractIconEx's small one
    // from another image than the 16 x 16 one, so it is left out.)
    HICON large = nullptr;
    ::ExtractIconExA(argv[1], 0, &large, nullptr, 1);
    same = Compare("ExtractIconEx", large, argv[2], ::GetSystemMetrics(SM_CXICON)) && same;
    return same ? 0 : 1;
}
