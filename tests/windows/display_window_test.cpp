#include <QTest>

#include "display_window/display_window.h"
#include "forms/form1.h"
#include "forms/form3.h"
#include "forms/forms.h"
#include "pinned_window/pinned_window.h"
#include "platform/form_window.h"
#include "store/picture_list.h"
#include "support/program_fixture.h"

namespace {

using DisplayWindowTest = ProgramTest;

TEST_F(DisplayWindowTest, StartsLaidOutForTheDesignReferenceSize) {
    StartWith("");
    auto& display = Display();
    EXPECT_EQ(display.ReferenceHeight(), 1455);
    EXPECT_EQ(display.ReferenceWidth(), 2055);
    EXPECT_EQ(display.Width(), 2055);
    EXPECT_EQ(display.Image1->Height(), 1455);
    EXPECT_EQ(display.Height(), 1455 + 600);
}

TEST_F(DisplayWindowTest, HeightFollowsWidthAndNestsOneExtraPassOnly) {
    StartWith("");
    auto& display = Display();
    std::int16_t h = 3000, w = 4500;
    const int before = display.ResizeCount();
    display.SetWinSize(h, w);
    EXPECT_EQ(display.Width(), 4500);
    EXPECT_EQ(display.Image1->Width(), 4500);
    EXPECT_EQ(display.Image1->Height(), 3000);
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
        EXPECT_TRUE(display.Image1->Visible());
    }
}

TEST_F(DisplayWindowTest, ThePictureAreaLiesExactly600TwipsBelowTop) {
    StartWith("");
    auto& display = Display();
    std::int16_t h = 3000, w = 4500;
    display.SetWinSize(h, w);
    display.SetLeft(1500);
    display.SetTop(900);
    const QPoint picture =
        display.Image1->mapTo(&display, QPoint(0, 0)) + display.geometry().topLeft();
    EXPECT_EQ(picture, QPoint(100, 100));
    EXPECT_EQ(display.Image1->size(), QSize(300, 200));
}

TEST_F(DisplayWindowTest, MaximisingOrFullScreenIsRefusedAndItsSizeNotTakenAsTheUsers) {
    StartWith(Record("1500", "1500", "3000", "2250", P("a.jpg")));
    DoubleClick(PinnedAt(1500, 1500)->Image1);
    auto& display = Display();
    ASSERT_TRUE(display.isVisible());
    const QRect outer = display.OuterPixels();
    const QRect shown = display.geometry();
    for (const Qt::WindowState state : {Qt::WindowMaximized, Qt::WindowFullScreen}) {
        SCOPED_TRACE(state);
        // As a window manager does it: the platform window takes the state, the widget hears.
        display.windowHandle()->setWindowStates(state);
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return !(display.windowState() & state) && display.geometry() == shown; }, 3000))
            << display.geometry().width() << " x " << display.geometry().height();
        EXPECT_EQ(display.OuterPixels(), outer);
    }

    // Long after, the window system alone: a size that fills the screen is still refused, any
    // other is the user's drag.
    QTest::qWait(600);
    const struct {
        QRect rect;
        bool users;
    } changes[] = {{display.screen()->geometry(), false}, {shown.adjusted(0, 0, 30, 0), true}};
    for (const auto& change : changes) {
        display.windowHandle()->setGeometry(change.rect);
        QCoreApplication::processEvents();
        const int width = change.users ? change.rect.width() : outer.width();
        EXPECT_TRUE(QTest::qWaitFor([&] { return display.OuterPixels().width() == width; }, 3000));
        if (!change.users) {
            EXPECT_TRUE(QTest::qWaitFor([&] { return display.geometry() == shown; }, 3000));
            EXPECT_EQ(display.OuterPixels(), outer);
        }
    }
}

TEST_F(DisplayWindowTest, PictureHeightIsRoundedToSinglePrecisionTwice) {
    EXPECT_FLOAT_EQ(display_window::PictureHeightFor(2250, 3000, 3000), 2250);
    EXPECT_FLOAT_EQ(display_window::PictureHeightFor(1455.0, 2055, 4110), 2910);
    EXPECT_FLOAT_EQ(display_window::PictureHeightFor(1000, 3, 1), 333.33334f);
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

TEST(ReferenceSize, LimitsOversizedWindowsKeepingTheirShape) {
    const struct {
        float height, width;
        std::int16_t h, w;
    } cases[] = {
        {2250, 3000, 2250, 3000},    {32767, 100, 32767, 100},     {40000, 20000, 32767, 16384},
        {15000, 65534, 7500, 32767}, {2250.5, 3000.5, 2250, 3000}, {0, 3000, 1, 3000},
    };
    for (const auto& c : cases) {
        const auto size = pinned_window::ReferenceSizeFor(c.height, c.width);
        EXPECT_EQ(size.height, c.h) << c.height << " x " << c.width;
        EXPECT_EQ(size.width, c.w) << c.height << " x " << c.width;
    }
}

}  // namespace
