#include <gtest/gtest.h>

#include "capture_window/aiming.h"

namespace {

using capture_window::Aim;

TEST(Aiming, TabStepsFromTheFrameToTheClientToTheMonitorAndBack) {
    Aim aim = Aim::Framed;
    for (const Aim next : {Aim::Client, Aim::Monitor, Aim::Framed, Aim::Client}) {
        aim = capture_window::NextAim(aim);
        EXPECT_EQ(aim, next);
    }
}

// Less than 4 logical pixels of travel is a click, at any scale.
TEST(Aiming, AClickTravelsLessThanFourLogicalPixels) {
    const struct {
        int farthest;
        qreal scale;
        bool click;
    } cases[] = {{0, 1, true},    {3, 1, true}, {4, 1, false}, {5, 1.5, true},
                 {6, 1.5, false}, {7, 2, true}, {8, 2, false}};
    for (const auto& c : cases) {
        EXPECT_EQ(capture_window::IsClick(c.farthest, c.scale), c.click)
            << c.farthest << " at " << c.scale;
    }
}

TEST(Aiming, ArrowsMoveByOneDevicePixelOrTenWithShiftAndStayOnTheScreens) {
    const QRect screens(0, 0, 300, 160);
    const struct {
        QPoint from;
        int key;
        bool shift;
        QPoint to;
    } cases[] = {
        {{10, 10}, Qt::Key_Left, false, {9, 10}}, {{10, 10}, Qt::Key_Down, true, {10, 20}},
        {{10, 10}, Qt::Key_Up, true, {10, 0}},    {{295, 10}, Qt::Key_Right, true, {299, 10}},
        {{10, 10}, Qt::Key_A, false, {10, 10}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(capture_window::MovedByKey(c.from, c.key, c.shift, screens), c.to) << c.key;
    }
}

// The last region again after a monitor went: what is still shown of it, or nothing.
TEST(Aiming, TheLastRegionIsCutToTheMonitorsThereAreNow) {
    const QList<QRect> two{{0, 0, 100, 80}, {100, 0, 200, 160}};
    const struct {
        QRect region;
        QList<QRect> monitors;
        std::optional<QRect> shown;
    } cases[] = {
        {{10, 10, 50, 30}, two, QRect(10, 10, 50, 30)},
        {{250, 100, 100, 100}, two, QRect(250, 100, 50, 60)},
        {{90, 10, 40, 20}, {{0, 0, 100, 80}}, QRect(90, 10, 10, 20)},
        {{150, 10, 40, 20}, {{0, 0, 100, 80}}, std::nullopt},
        {{10, 10, 50, 30}, {}, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(capture_window::ClipToScreens(c.region, c.monitors), c.shown)
            << c.region.x() << "," << c.region.y();
    }
}

// The file may have been edited by hand: only a rectangle an X screen can hold is one.
TEST(Aiming, TheLastRegionsFileHoldsOneRectangleAnXScreenCanHave) {
    const struct {
        const char* text;
        std::optional<QRect> region;
    } cases[] = {
        {"10 20 30 40\n", QRect(10, 20, 30, 40)},
        {"-5 -5 10 10", QRect(-5, -5, 10, 10)},
        {"10 20 30", std::nullopt},
        {"10 20 30 40 50", std::nullopt},
        {"10 20 0 40", std::nullopt},
        {"10 20 -30 40", std::nullopt},
        {"99999999999 0 5 5", std::nullopt},
        {"0 0 2147483647 2147483647", std::nullopt},
        {"32760 0 100 5", std::nullopt},
        {"a b c d", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(capture_window::RegionFromText(c.text), c.region) << c.text;
    }
    const QRect kept(-3, 7, 640, 480);
    EXPECT_EQ(capture_window::RegionFromText(capture_window::RegionText(kept)), kept);
}

}  // namespace
