#include <gtest/gtest.h>

#include "capture_window/aiming.h"

namespace {

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

// The file may have been edited by hand: only a rectangle an X screen can hold is one.
TEST(Aiming, TheLastRegionsFileHoldsOneRectangleAnXScreenCanHave) {
    const struct {
        const char* text;
        std::optional<QRect> region;
    } cases[] = {
        {"10 20 30 40\n", QRect(10, 20, 30, 40)},
        {"-5 -5 10 10", QRect(-5, -5, 10, 10)},
        {"10 20 30", std::nullopt},
        {"10 20 0 40", std::nullopt},
        {"10 20 -30 40", std::nullopt},
        {"99999999999 0 5 5", std::nullopt},
        {"0 0 2147483647 2147483647", std::nullopt},
        {"32760 0 100 5", std::nullopt},
        {"a b c d", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(capture_window::RegionFromText(c.text), c.region) << c.text;
    }
    const QRect kept(-3, 7, 640, 480);
    EXPECT_EQ(capture_window::RegionFromText(capture_window::RegionText(kept)), kept);
}

}  // namespace
