#include <gtest/gtest.h>

#include "preview/preview_size.h"

namespace {

TEST(PreviewSize, FitsThePreviewByWidthExceptForTallPortraits) {
    const struct {
        float w, h;
        float width, height;
    } cases[] = {
        {4500, 3000, 1500, 1000},       {3000, 3000, 1500, 1500},
        {6000, 8999, 1500, 2249.75f},   {6000, 9000, 1333.3334f, 2000},
        {8000, 9000, 1777.7778f, 2000}, {3000, 12000, 500, 2000},
        {12000, 9000, 1500, 1125},      {60, 60, 1500, 1500},
        {4560, 3060, 1500, 1006.5789f},
    };
    for (const auto& c : cases) {
        const auto size = preview::PreviewSizeFor(c.w, c.h);
        EXPECT_EQ(size.width, c.width) << c.w << " x " << c.h;
        EXPECT_EQ(size.height, c.height) << c.w << " x " << c.h;
    }
}

TEST(FitWithin, ScalesDownKeepingTheShapeAndLeavesSmallSizesAlone) {
    const struct {
        QSizeF measured, limit, fitted;
    } cases[] = {
        {{4500, 3000}, {32767, 32767}, {4500, 3000}},
        {{90000, 60000}, {32767, 32767}, {32767, 21844.666666}},
        {{60000, 90000}, {28800, 14000}, {9333.333333, 14000}},
        {{20000, 1000}, {19000, 16000}, {19000, 950}},
    };
    for (const auto& c : cases) {
        const QSizeF fitted = preview::FitWithin(c.measured, c.limit);
        EXPECT_NEAR(fitted.width(), c.fitted.width(), 1e-3);
        EXPECT_NEAR(fitted.height(), c.fitted.height(), 1e-3);
    }
}

}  // namespace
