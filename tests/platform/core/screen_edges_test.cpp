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

TEST(DefaultPlacement, CentresAndKeepsTheFrameInsideTheArea) {
    const QMargins reserve(8, 8, 8, 8);
    const struct {
        const char* what;
        QSize size;
        QRect area;
        QMargins frame;
        QPoint expected;
    } cases[] = {
        {"fits: centred", {1404, 1044}, {0, 0, 1600, 1200}, reserve, {98, 78}},
        {"a panel below", {1404, 1044}, {0, 0, 1600, 1174}, reserve, {98, 65}},
        {"panels above and left", {300, 240}, {50, 30, 750, 570}, reserve, {275, 195}},
        {"centred, the frame would cross the top",
         {1490, 1170},
         {0, 0, 1600, 1174},
         reserve,
         {55, 8}},
        {"centred, the frame would cross the bottom",
         {1490, 1158},
         {0, 0, 1600, 1174},
         QMargins(5, 0, 5, 20),
         {55, 0}},
        {"exactly fits with the frame", {1584, 1184}, {0, 0, 1600, 1200}, reserve, {8, 8}},
        {"wider and taller than the area", {2000, 1500}, {0, 26, 1600, 1174}, reserve, {8, 34}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(platform::DefaultPlacement(c.size, c.area, c.frame), QRect(c.expected, c.size))
            << c.what;
    }
}

TEST(OntoNearestScreen, MovesOnlyARectangleOnNoScreen) {
    const platform::ScreenArea left{{0, 0, 1600, 1200}, {0, 0, 1600, 1160}};
    const platform::ScreenArea right{{1600, 0, 1280, 1024}, {1600, 30, 1280, 994}};
    const struct {
        const char* what;
        QRect rect;
        QPoint expected;
    } cases[] = {
        {"on a screen: kept, panel or not", {300, 1150, 100, 80}, {300, 1150}},
        {"partly on a screen: kept", {-50, -50, 100, 80}, {-50, -50}},
        {"far left: onto the left screen's area", {-900, 500, 100, 80}, {0, 500}},
        {"below the right screen: onto its area, above its bottom",
         {2000, 1100, 100, 80},
         {2000, 944}},
        {"far right and up: onto the right screen, below its panel",
         {4000, -400, 100, 80},
         {2780, 30}},
        {"larger than the area: its top-left corner on it", {-5000, 0, 2000, 90}, {0, 0}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(platform::OntoNearestScreen(c.rect, {left, right}),
                  QRect(c.expected, c.rect.size()))
            << c.what;
    }
    EXPECT_EQ(platform::OntoNearestScreen({-900, 0, 5, 5}, {}), QRect(-900, 0, 5, 5))
        << "no screen";
}

TEST(LimitedTo16Bit, ClampsPositionsAndSizes) {
    const struct {
        QRect rect;
        QRect expected;
    } cases[] = {
        {{10, 20, 300, 200}, {10, 20, 300, 200}},
        {{-40000, 40000, 300, 200}, {-32768, 32767, 300, 200}},
        {{0, 0, 70000, 0}, {0, 0, 32767, 1}},
    };
    for (const auto& c : cases) EXPECT_EQ(platform::LimitedTo16Bit(c.rect), c.expected);
}

// A tool bar of 200 x 40 beside a window, 4 pixels off, on a 1000 x 800 screen: below, above,
// right or left, whichever has room first, never over the window while any side has room.
TEST(BesideRect, TakesTheFirstSideWithRoomAndStaysOnTheScreen) {
    const QRect area(0, 0, 1000, 800);
    const struct {
        const char* name;
        QRect target;
        QRect expected;
    } cases[] = {
        {"below", {100, 100, 400, 300}, {100, 404, 200, 40}},
        {"above, at the bottom edge", {100, 500, 400, 300}, {100, 456, 200, 40}},
        {"right, as tall as the screen", {0, 0, 700, 800}, {704, 0, 200, 40}},
        {"left, right side too narrow", {250, 0, 750, 800}, {46, 0, 200, 40}},
        {"along the side, kept on the screen", {900, 100, 100, 100}, {800, 204, 200, 40}},
        {"no room anywhere: at the bottom", {0, 0, 1000, 800}, {0, 760, 200, 40}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(platform::BesideRect(c.target, {200, 40}, area, 4), c.expected) << c.name;
    }
}

}  // namespace
