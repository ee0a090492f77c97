#include "dialogs/center_window.h"

#include "base/window_placement.h"

namespace tarnwick {
namespace {

ScreenRect ToScreenRect(const RECT& r) {
    return {r.left, r.top, r.right, r.bottom};
}

}  // namespace

void CenterWindow(HWND window) {
    RECT own;
    if (!::GetWindowRect(window, &own)) return;
    // GetParent gives a dialog's owner as well as a child's parent.
    HWND parent = ::GetParent(window);
    RECT parentRect;
    const bool hasParent = parent != nullptr && ::GetWindowRect(parent, &parentRect);
    const ScreenRect parentArea = hasParent ? ToScreenRect(parentRect) : ScreenRect{};
    const ScreenPoint at =
        CenteredPosition(ToScreenRect(own), hasParent ? &parentArea : nullptr,
                         ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN));
    ::SetWindowPos(window, nullptr, at.x, at.y, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
}

}  // namespace tarnwick
