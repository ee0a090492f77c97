#include "base/window_placement.h"

namespace tarnwick {

ScreenPoint CenteredPosition(const ScreenRect& window, const ScreenRect* parent,
                             int screenWidth, int screenHeight) {
    const int w = window.width();
    const int h = window.height();
    if (parent == nullptr) return {(screenWidth - w) / 2, (screenHeight - h) / 2};

    ScreenPoint p{parent->left + parent->width() / 2 - w / 2,
                  parent->top + parent->height() / 2 - h / 2};
    if (p.x < 0) p.x = 0;
    if (p.y < 0) p.y = 0;
    if (p.x >= screenWidth - w - 10) p.x = screenWidth - w - 10;
    if (p.y >= screenHeight - h - 10) p.y = screenHeight - h - 10;
    return p;
}

}  // namespace tarnwick
