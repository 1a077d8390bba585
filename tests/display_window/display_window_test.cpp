#include <QTest>

#include "display_window/display_window.h"
#include "platform/controls.h"
#include "support/program_fixture.h"

namespace {

using DisplayWindowTest = ProgramTest;

TEST_F(DisplayWindowTest, StartsLaidOutForTheDesignReferenceSize) {
    StartWith("");
    auto& display = Display();
    EXPECT_EQ(display.ReferenceHeight(), 1455);
    EXPECT_EQ(display.ReferenceWidth(), 2055);
    EXPECT_EQ(display.Width(), 2055);
    EXPECT_EQ(PictureOf(&display)->Height(), 1455);
    EXPECT_EQ(display.Height(), 1455 + 600);
}

TEST_F(DisplayWindowTest, HeightFollowsWidthAndNestsOneExtraPassOnly) {
    StartWith("");
    auto& display = Display();
    platform::ImageBox* picture = PictureOf(&display);
    const int before = display.ResizeCount();
    display.SetReferenceSize(3000, 4500);
    EXPECT_EQ(display.Width(), 4500);
    EXPECT_EQ(picture->Width(), 4500);
    EXPECT_EQ(picture->Height(), 3000);
    EXPECT_EQ(display.Height(), 3600);
    // Two size assignments, each raising one pass and at most one nested pass.
    EXPECT_LE(display.ResizeCount() - before, 4);

    const struct {
        float width;
        float height;  // as the user drags it; the window settles at its own
        float settled;
    } drags[] = {
        {9000, 3600, 6600},  // twice the width, twice the picture's height
        {9000, 9000, 6600},  // the bottom border alone snaps back
        {2250, 6600, 2100},
        {4500, 300, 3600},
    };
    for (const auto& drag : drags) {
        const int count = display.ResizeCount();
        display.SetWidth(drag.width);
        display.SetHeight(drag.height);
        EXPECT_EQ(display.Width(), drag.width);
        EXPECT_EQ(display.Height(), drag.settled) << drag.width << " x " << drag.height;
        EXPECT_LE(display.ResizeCount() - count, 4);
        EXPECT_TRUE(picture->Visible());
    }
}

TEST_F(DisplayWindowTest, ThePictureAreaLiesExactly600TwipsBelowTop) {
    StartWith("");
    auto& display = Display();
    display.SetReferenceSize(3000, 4500);
    display.SetLeft(1500);
    display.SetTop(900);
    platform::ImageBox* picture = PictureOf(&display);
    const QPoint corner = picture->mapTo(&display, QPoint(0, 0)) + display.geometry().topLeft();
    EXPECT_EQ(corner, QPoint(100, 100));
    EXPECT_EQ(picture->size(), QSize(300, 200));
}

}  // namespace
