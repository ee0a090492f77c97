// CenterWindow on real windows: an owner and an owned popup (as a dialog and
// its owner), and a popup without an owner.
#include "dialogs/center_window.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace tarnwick::test {
namespace {

TEST(CenterWindow, OnTheOwnerOrTheScreen) {
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = &::DefWindowProcA;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "TarnwickCenterProbe";
    ASSERT_NE(::RegisterClassA(&windowClass), 0) << "error " << ::GetLastError();

    const int sw = ::GetSystemMetrics(SM_CXSCREEN);
    const int sh = ::GetSystemMetrics(SM_CYSCREEN);
    const struct {
        const char* what;
        bool owned;
        RECT owner;
        int width;
        int height;
        int x;
        int y;
    } cases[] = {
        {"smaller than its owner", true, {100, 100, 500, 400}, 200, 100, 200, 200},
        {"odd sizes halve towards zero", true, {101, 51, 402, 252}, 101, 51, 201, 126},
        {"larger than its owner at the top-left", true, {10, 10, 110, 60}, 400, 300, 0, 0},
        {"owner at the bottom-right", true, {sw - 100, sh - 100, sw, sh}, 200, 150, sw - 210, sh - 160},
        {"no owner", false, {}, 301, 201, (sw - 301) / 2, (sh - 201) / 2},
    };
    for (const auto& c : cases) {
        HWND owner = nullptr;
        if (c.owned) {
            owner = ::CreateWindowExA(0, windowClass.lpszClassName, "owner", WS_POPUP, c.owner.left,
                                      c.owner.top, c.owner.right - c.owner.left,
                                      c.owner.bottom - c.owner.top, nullptr, nullptr, instance, nullptr);
            ASSERT_NE(owner, nullptr) << c.what << ", error " << ::GetLastError();
        }
        HWND popup = ::CreateWindowExA(0, windowClass.lpszClassName, "popup", WS_POPUP, 3, 7,
                                       c.width, c.height, owner, nullptr, instance, nullptr);
        ASSERT_NE(popup, nullptr) << c.what << ", error " << ::GetLastError();
        RECT ownerRect = {};
        if (owner != nullptr) ::GetWindowRect(owner, &ownerRect);

        CenterWindow(popup);
        RECT r = {};
        const BOOL got = ::GetWindowRect(popup, &r);
        const DWORD error = ::GetLastError();
        EXPECT_TRUE(got) << c.what << ", error " << error;
        EXPECT_EQ(r.left, c.x) << c.what << ": owner (" << ownerRect.left << "," << ownerRect.top << ")-("
                               << ownerRect.right << "," << ownerRect.bottom << "), screen " << sw << "x" << sh;
        EXPECT_EQ(r.top, c.y) << c.what;
        EXPECT_EQ(r.right - r.left, c.width) << c.what << ": size changed";
        EXPECT_EQ(r.bottom - r.top, c.height) << c.what << ": size changed";

        ::DestroyWindow(popup);
        if (owner != nullptr) ::DestroyWindow(owner);
    }
    ::UnregisterClassA(windowClass.lpszClassName, instance);
}

}  // namespace
}  // namespace tarnwick::test
