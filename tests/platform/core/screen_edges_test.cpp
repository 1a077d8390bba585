#include <gtest/gtest.h>

#include "platform/core/screen_edges.h"

namespace {

TEST(PartsOffScreen, AreTheStripsNoUsableAreaShows) {
    const QRect screen(0, 0, 1600, 1200);
    const QRect aboveThePanel(0, 0, 1600, 1160);
    const QRect rightScreen(1600, 0, 1280, 1024);
    const struct {
        const char* name;
        QRect window;
        QList<QRect> usable;
        QMargins off;  // left, top, right, bottom
    } cases[] = {
        {"on the screen", {400, 300, 100, 80}, {screen}, {}},
        {"off the left edge", {-30, 20, 100, 80}, {screen}, {30, 0, 0, 0}},
        {"off the top edge", {200, -30, 100, 80}, {screen}, {0, 30, 0, 0}},
        {"off the right edge", {1550, 500, 600, 400}, {screen}, {0, 0, 550, 0}},
        {"off the bottom edge", {300, 1170, 100, 80}, {screen}, {0, 0, 0, 50}},
        {"off a corner", {-10, -20, 100, 80}, {screen}, {10, 20, 0, 0}},
        {"over a panel", {300, 1150, 100, 80}, {aboveThePanel}, {0, 0, 0, 70}},
        {"across two screens", {1550, 500, 100, 80}, {screen, rightScreen}, {}},
        {"below the smaller screen", {1700, 1000, 100, 80}, {screen, rightScreen}, {0, 0, 0, 56}},
        {"wholly off", {-300, 20, 100, 80}, {screen}, {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(platform::PartsOffScreen(c.window, c.usable), c.off) << c.name;
    }
}

}  // namespace
