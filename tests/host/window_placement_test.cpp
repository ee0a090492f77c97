#include "base/window_placement.h"

#include <gtest/gtest.h>

namespace tarnwick {
namespace {

TEST(CenteredPositionTest, CentresOnTheParentAndClampsToTheScreen) {
    struct Case {
        const char* what;
        ScreenRect window;
        ScreenRect parent;
        int x, y;
    };
    const Case cases[] = {
        {"centred on the parent", {0, 0, 200, 100}, {100, 100, 500, 400}, 200, 200},
        {"halves truncate", {0, 0, 201, 101}, {0, 0, 401, 301}, 100, 100},
        {"larger than the parent at the origin", {0, 0, 400, 300}, {0, 0, 100, 100}, 0, 0},
        {"larger than the parent", {0, 0, 400, 300}, {300, 300, 400, 400}, 150, 200},
        {"kept 10 pixels off the right and bottom", {0, 0, 200, 100}, {900, 700, 1024, 768}, 814, 658},
        {"parent off the screen's origin", {0, 0, 100, 100}, {-400, -400, -100, -100}, 0, 0},
    };
    for (const Case& c : cases) {
        const ScreenPoint p = CenteredPosition(c.window, &c.parent, 1024, 768);
        EXPECT_EQ(p.x, c.x) << c.what;
        EXPECT_EQ(p.y, c.y) << c.what;
    }
}

TEST(CenteredPositionTest, CentresOnTheScreenWithoutParent) {
    const ScreenPoint p = CenteredPosition({50, 50, 351, 151}, nullptr, 1024, 768);
    EXPECT_EQ(p.x, 361);
    EXPECT_EQ(p.y, 333);
}

}  // namespace
}  // namespace tarnwick
