#include <QScreen>
#include <QTest>
#include <QWindow>

#include "display_window/display_window.h"
#include "platform/gui/controls.h"
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

TEST_F(DisplayWindowTest, MaximisingOrFullScreenIsRefusedAndItsSizeNotTakenAsTheUsers) {
    StartWith(Record("1500", "1500", "3000", "2250", P("a.jpg")));
    Unpin(1500, 1500);
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

}  // namespace
