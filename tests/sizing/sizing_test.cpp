#include <gtest/gtest.h>

#include <vector>

#include "sizing/display_size.h"
#include "sizing/pin_transform.h"
#include "sizing/pin_zoom.h"
#include "sizing/preview_size.h"

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
        const auto size = sizing::PreviewSizeFor(c.w, c.h);
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
        const QSizeF fitted = sizing::FitWithin(c.measured, c.limit);
        EXPECT_NEAR(fitted.width(), c.fitted.width(), 1e-3);
        EXPECT_NEAR(fitted.height(), c.fitted.height(), 1e-3);
    }
}

TEST(OpenedSize, IsTheMeasuredSizeFittedInWholePixelsWithItsReference) {
    const struct {
        QSize natural;
        QSizeF limit;
        float width, height;
        std::int16_t h, w;
    } cases[] = {
        // The picture and a 2-pixel border each side, in twips.
        {{296, 196}, {32767, 32767}, 4500, 3000, 3000, 4500},
        {{1, 1}, {32767, 32767}, 75, 75, 75, 75},
        // Scaled down to the limit, then to whole pixels.
        {{3996, 1996}, {28800, 14000}, 28005, 13995, 13995, 28005},
        {{40000, 10}, {32767, 32767}, 32760, 15, 15, 32760},
        // Past 32767 pixels a control stops growing, and past 16 bits the reference does.
        {{3000000, 10}, {1e9, 1e9}, 491505, 210, 210, 32767},
    };
    for (const auto& c : cases) {
        const sizing::OpenedSize size = sizing::OpenedSizeFor(c.natural, c.limit);
        EXPECT_EQ(size.width, c.width) << c.natural.width() << " x " << c.natural.height();
        EXPECT_EQ(size.height, c.height) << c.natural.width() << " x " << c.natural.height();
        EXPECT_EQ(size.reference.height, c.h) << c.natural.width();
        EXPECT_EQ(size.reference.width, c.w) << c.natural.width();
    }
}

TEST(PictureHeight, IsRoundedToSinglePrecisionTwice) {
    EXPECT_FLOAT_EQ(sizing::PictureHeightFor(2250, 3000, 3000), 2250);
    EXPECT_FLOAT_EQ(sizing::PictureHeightFor(1455.0, 2055, 4110), 2910);
    EXPECT_FLOAT_EQ(sizing::PictureHeightFor(1000, 3, 1), 333.33334f);
}

TEST(ReferenceSize, LimitsOversizedWindowsKeepingTheirShape) {
    const struct {
        float height, width;
        std::int16_t h, w;
    } cases[] = {
        {2250, 3000, 2250, 3000},    {32767, 100, 32767, 100},     {40000, 20000, 32767, 16384},
        {15000, 65534, 7500, 32767}, {2250.5, 3000.5, 2250, 3000}, {0, 3000, 1, 3000},
    };
    for (const auto& c : cases) {
        const auto size = sizing::ReferenceSizeFor(c.height, c.width);
        EXPECT_EQ(size.height, c.h) << c.height << " x " << c.width;
        EXPECT_EQ(size.width, c.w) << c.height << " x " << c.width;
    }
}

TEST(PinZoom, WheelNotchesZoomAroundTheCursorWithinTheLimits) {
    const QSizeF screen(1920, 1080);
    const struct {
        const char* what;
        QRectF pin;
        QPointF cursor;
        std::vector<int> deltas;
        QRectF zoomed;
    } cases[] = {
        {"up, centred", {100, 100, 400, 300}, {300, 250}, {120}, {80, 85, 440, 330}},
        {"down, at a corner", {100, 100, 400, 300}, {100, 100}, {-120}, {100, 100, 364, 273}},
        {"two up, off centre", {100, 100, 400, 300}, {200, 175}, {240}, {79, 84, 484, 363}},
        {"wider than the screen", {0, 0, 1800, 900}, {900, 450}, {120}, {-60, -30, 1920, 960}},
        {"below 16 px", {10, 10, 40, 20}, {10, 10}, {-360}, {10, 10, 32, 16}},
        {"part notches add up",
         {100, 100, 400, 300},
         {300, 250},
         {40, 40, 30, 10},
         {80, 85, 440, 330}},
        {"turning back",
         {100, 100, 400, 300},
         {300, 250},
         {60, -30, 60, -90},
         {100, 100, 400, 300}},
    };
    for (const auto& c : cases) {
        sizing::WheelNotches notches;
        QRectF pin = c.pin;
        for (const int delta : c.deltas)
            pin = sizing::ZoomedPin(pin, c.cursor, notches.Take(delta), screen);
        EXPECT_EQ(pin, c.zoomed) << c.what;
    }
}

}  // namespace

namespace {

using platform::PictureTransform;
using platform::TransformStep;

TEST(RetransformedPin, KeepsTheScaleAndWhatStaysWhereItWas) {
    const QSize upright(800, 600);
    const QRectF screen(0, 0, 1920, 1080);
    const PictureTransform none;
    const PictureTransform right = platform::Stepped(none, TransformStep::TurnRight);
    const PictureTransform flipped = platform::Stepped(none, TransformStep::FlipHorizontally);
    const PictureTransform cropped{
        .turns = 0, .mirrored = false, .crop = QRect(200, 100, 400, 300)};
    const struct {
        const char* name;
        QRectF pin;
        PictureTransform before, after;
        QRectF placed;
    } cases[] = {
        {"turned about its centre", {100, 100, 400, 300}, none, right, {150, 50, 300, 400}},
        {"a flip keeps the rectangle", {100, 100, 400, 300}, none, flipped, {100, 100, 400, 300}},
        {"turned off the bottom edge comes back",
         {100, 800, 400, 280},
         none,
         right,
         {160, 680, 280, 400}},
        {"turned off the top comes back", {100, 0, 400, 300}, none, right, {150, 0, 300, 400}},
        {"a pin the user put half off the screen stays as far off",
         {1800, 500, 400, 300},
         none,
         right,
         {1850, 450, 300, 400}},
        // Half scale: the crop's 400 x 300 pixels show at 200 x 150, where they were.
        {"cropped, the part kept does not move",
         {100, 100, 400, 300},
         none,
         cropped,
         {200, 150, 200, 150}},
        {"reset, the part kept does not move",
         {200, 150, 200, 150},
         cropped,
         none,
         {100, 100, 400, 300}},
        {"reset after a turn keeps the centre of the part kept",
         {200, 150, 150, 200},
         platform::Stepped(cropped, TransformStep::TurnRight),
         none,
         {75, 125, 400, 300}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(sizing::RetransformedPin(c.pin, upright, c.before, c.after, screen), c.placed)
            << c.name;
    }
}

// Sides of odd difference put the centre on a half pixel: four turns still give back the
// rectangle they started from, whatever the scale.
TEST(RetransformedPin, FourTurnsGiveBackTheFirstRectangle) {
    for (const auto& [upright, first] :
         std::vector<std::pair<QSize, QRectF>>{{{401, 300}, {100, 100, 401, 300}},
                                               {{802, 600}, {100, 100, 297, 222}},
                                               {{1000, 999}, {333, 40, 1000, 999}},
                                               {{7, 4000}, {640, 10, 1, 571}}}) {
        PictureTransform t;
        QRectF pin = first;
        for (int turn = 0; turn < 4; ++turn) {
            const PictureTransform next = platform::Stepped(t, TransformStep::TurnRight);
            pin = sizing::RetransformedPin(pin, upright, t, next, QRectF(0, 0, 1920, 1080));
            t = next;
        }
        EXPECT_EQ(pin, first) << upright.width() << "x" << upright.height();
    }
}

}  // namespace
