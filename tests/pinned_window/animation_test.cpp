#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTest>

#include "pin_board/pin_board.h"
#include "pinned_window/pinned_window.h"
#include "platform/gui/controls.h"
#include "support/board_fixture.h"

namespace {

using PinAnimation = BoardTest;

void OpenMenu(QWidget* pin) {
    QContextMenuEvent open(QContextMenuEvent::Mouse, QPoint(2, 2), pin->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(pin, &open);
}

// A pin of an animated GIF shows its first frame until its menu asks it to play; it plays only
// while it can be seen, and the choice comes back at the next start.
TEST_F(PinAnimation, PlaysWhenAskedWhileShownAndKeepsTheChoice) {
    // Four frames of 40 ms, each one colour.
    const QList<QRgb> palette = {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(0, 0, 0)};
    ASSERT_TRUE(test_support::WriteBytes(
        P("moving.gif"), test_support::AnimatedGifBytes(
                             {8, 6}, palette, 4, 4, [](int frame, int, int) { return frame; })));
    const QByteArray data = Record("0", "0", "1500", "1500", P("moving.gif")) +
                            Record("3000", "0", "1500", "1500", P("c.gif"));
    StartWith(data);
    pinned_window::PinnedWindow* still = PinnedAt(3000, 0);
    pinned_window::PinnedWindow* moving = PinnedAt(0, 0);
    ASSERT_TRUE(still && moving);
    OpenMenu(still);
    EXPECT_FALSE(ItemEnabled(still, "playAnimation"));
    OpenMenu(moving);
    ASSERT_TRUE(ItemEnabled(moving, "playAnimation"));
    QTest::qWait(150);
    EXPECT_FALSE(moving->AnimationRunning());
    EXPECT_EQ(moving->AnimationFramesDrawn(), 0);

    Trigger(moving, "playAnimation");
    EXPECT_TRUE(moving->AnimationRunning());
    EXPECT_TRUE(QTest::qWaitFor([&] { return moving->AnimationFramesDrawn() >= 3; }, 5000));

    Board().HideAll();
    EXPECT_FALSE(moving->AnimationRunning());
    const int drawn = moving->AnimationFramesDrawn();
    QTest::qWait(150);
    EXPECT_EQ(moving->AnimationFramesDrawn(), drawn);
    Board().ShowAll();
    EXPECT_TRUE(QTest::qWaitFor([&] { return moving->AnimationFramesDrawn() > drawn; }, 5000));

    // Restored at the next start, playing; turned off, the first frame is back for good.
    StartWith(data);
    moving = PinnedAt(0, 0);
    ASSERT_NE(moving, nullptr);
    EXPECT_TRUE(Board().Settings().at(0).playAnimation);
    EXPECT_TRUE(QTest::qWaitFor([&] { return moving->AnimationFramesDrawn() >= 2; }, 5000));
    OpenMenu(moving);
    Trigger(moving, "playAnimation");
    EXPECT_FALSE(Board().Settings().at(0).playAnimation);
    EXPECT_FALSE(moving->AnimationRunning());
    const QImage shown = moving->grab().toImage();
    EXPECT_EQ(shown.pixel(shown.width() / 2, shown.height() / 2), palette[0]);
}

}  // namespace
