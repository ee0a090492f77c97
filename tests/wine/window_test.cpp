// CenterWindow on real windows: an owned popup, as a dialog, on its owner;
// one without an owner on the screen. The arithmetic is tested on the host.
#include "dialogs/center_window.h"

#include <gtest/gtest.h>

#include <string>

static std::string Placement(int x, int y, int width, int height) {
    return std::to_string(x) + "," + std::to_string(y) + " " + std::to_string(width) + "x" + std::to_string(height);
}

TEST(CenterWindow, OnTheOwnerOrTheScreen) {
    const int onScreenX = (::GetSystemMetrics(SM_CXSCREEN) - 201) / 2;
    const int onScreenY = (::GetSystemMetrics(SM_CYSCREEN) - 101) / 2;
    HWND owner = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 100, 100, 400, 300, 0, 0, 0, 0);
    for (HWND parent : {owner, HWND{}}) {
        HWND popup = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 3, 7, 201, 101, parent, 0, 0, 0);
        tarnwick::CenterWindow(popup);
        RECT r = {};
        ::GetWindowRect(popup, &r);
        EXPECT_EQ(Placement(r.left, r.top, r.right - r.left, r.bottom - r.top),
                  parent ? Placement(200, 200, 201, 101) : Placement(onScreenX, onScreenY, 201, 101))
            << (parent ? "on its owner at 100,100 400x300" : "on the screen");
        ::DestroyWindow(popup);
    }
    ::DestroyWindow(owner);
}
