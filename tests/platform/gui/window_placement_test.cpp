#include <gtest/gtest.h>

#include "platform/gui/twips_window.h"

namespace {

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

}  // namespace
