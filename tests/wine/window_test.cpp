// CenterWindow on real windows: a popup on its owner, as a dialog on its
// owner, or without one on the screen. The arithmetic is tested on the host.
#include "ui/center_window.h"

#include <gtest/gtest.h>

namespace tarnwick::test {
namespace {

std::string Placement(int x, int y, int width, int height) {
    return std::to_string(x) + "," + std::to_string(y) + " " + std::to_string(width) + "x" + std::to_string(height);
}

TEST(CenterWindow, OnTheOwnerOrTheScreen) {
    const int screenWidth = ::GetSystemMetrics(SM_CXSCREEN), screenHeight = ::GetSystemMetrics(SM_CYSCREEN);
    HWND owner = ::CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 100, 100, 400, 300, nullptr, nullptr, nullptr, nullptr);
    for (HWND parent : {owner, HWND{}}) {
        HWND popup = ::CreateWindowExA(0, "STATIC", "popup", WS_POPUP, 3, 7, 201, 101, parent, nullptr, nullptr, nullptr);
        CenterWindow(popup);
        RECT r = {};
        ::GetWindowRect(popup, &r);
        EXPECT_EQ(Placement(r.left, r.top, r.right - r.left, r.bottom - r.top),
                  parent ? Placement(200, 200, 201, 101) : Placement((screenWidth - 201) / 2, (screenHeight - 101) / 2, 201, 101))
            << (parent ? "on its owner at 100,100 400x300" : "on the screen");
        ::DestroyWindow(popup);
    }
    ::DestroyWindow(owner);
}

}  // namespace
}  // namespace tarnwick::test
