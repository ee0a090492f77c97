// Where CenterWindow puts a window: pure arithmetic, so every rule (halving
// towards zero, the screen-edge clamps) is tested without a display.
#pragma once

namespace tarnwick {

struct ScreenRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
};

struct ScreenPoint {
    int x = 0;
    int y = 0;
};

// Centres `window` on `parent` (or on the screen when `parent` is null),
// keeping it on the screen's origin side and 10 pixels off its far edges.
ScreenPoint CenteredPosition(const ScreenRect& window, const ScreenRect* parent,
                             int screenWidth, int screenHeight);

}  // namespace tarnwick
