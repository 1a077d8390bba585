#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QTest>

#include "marks/mark_set.h"
#include "pin_board/pin_board.h"
#include "pinned_window/marking_mode.h"
#include "pinned_window/pinned_window.h"
#include "platform/gui/controls.h"
#include "support/board_fixture.h"

namespace {

class MarksOnPin : public BoardTest {
public:
    using BoardTest::PathOf;
    using BoardTest::PinnedWindows;
    using BoardTest::Start;
    using BoardTest::Trigger;
};

// A yellow frame in c.jpg's own pixels (150 x 150, blue), its left side at x 15.
const marks::Mark kFrame{.kind = marks::Kind::Rectangle,
                         .points = {{15, 15}, {135, 135}},
                         .color = Qt::yellow,
                         .width = 10,
                         .text = {}};

bool FrameShown(pinned_window::PinnedWindow* pin) {
    const QImage shown = pin->grab().toImage();
    const auto at = [&](qreal x, qreal y) {
        return QColor(shown.pixel(int(x * shown.width()), int(y * shown.height())));
    };
    // On the frame's left side, and inside it, wherever the pin is and whatever its size.
    return at(0.1, 0.5) == QColor(Qt::yellow) && at(0.5, 0.5).blue() > 200;
}

pinned_window::PinnedWindow* OnlyPin(const MarksOnPin& test) {
    const auto pins = test.PinnedWindows();
    return pins.size() == 1 ? pins.front() : nullptr;
}

// The marks are the pin's: they stay on it through everything a pin goes through, at their spot
// on the picture whatever the pin's size.
TEST_F(MarksOnPin, FollowThePinWhereverItGoes) {
    const struct {
        const char* name;
        std::function<void(MarksOnPin&, pin_board::PinBoard&)> journey;
    } cases[] = {
        {"a restart", [](MarksOnPin& t, pin_board::PinBoard&) { t.Start(); }},
        {"zoomed, then a restart at that size",
         [](MarksOnPin& t, pin_board::PinBoard& board) {
             pinned_window::PinnedWindow* pin = OnlyPin(t);
             pin->Place(pin->Left(), pin->Top(), 4500, 4500);
             board.List().SetGeometry(board.List().At(0).id, pin->Rect());
             board.Save();
             t.Start();
         }},
        {"unpinned and pinned again",
         [](MarksOnPin& t, pin_board::PinBoard& board) {
             pinned_window::PinnedWindow* pin = OnlyPin(t);
             const pin_board::Placement again{t.PathOf("c.jpg"), pin->Picture(), pin->Rect()};
             board.Unpin(pin);
             board.Pin(again);
         }},
        {"removed and put back",
         [](MarksOnPin&, pin_board::PinBoard& board) {
             board.DeletePin(board.List().At(0).id);
             ASSERT_FALSE(board.RestoreRemoved(0));
         }},
        {"moved to another board",
         [](MarksOnPin&, pin_board::PinBoard& board) {
             ASSERT_FALSE(board.List().MakeBoard(QStringLiteral("other")));
             board.List().MoveToBoard({board.List().At(0).id}, QStringLiteral("other"));
         }},
    };
    for (const auto& c : cases) {
        StartWith(Record("0", "0", "2250", "2250", P("c.jpg")));
        ASSERT_NE(OnlyPin(*this), nullptr) << c.name;
        EXPECT_FALSE(FrameShown(OnlyPin(*this))) << c.name;
        Board().List().MarksToEdit(Board().List().At(0).id)->Add(kFrame);
        EXPECT_TRUE(FrameShown(OnlyPin(*this))) << c.name;
        c.journey(*this, Board());
        ASSERT_NE(OnlyPin(*this), nullptr) << c.name;
        EXPECT_TRUE(FrameShown(OnlyPin(*this))) << c.name;
        const QByteArray before = test_support::ReadBytes(P("c.jpg"));
        Start();
        EXPECT_TRUE(FrameShown(OnlyPin(*this))) << c.name << ", restarted";
        EXPECT_EQ(test_support::ReadBytes(P("c.jpg")), before) << c.name;
        QFile::remove(P("pin-settings.json"));
    }
}

void OpenMenu(QWidget* pin) {
    QContextMenuEvent open(QContextMenuEvent::Mouse, QPoint(2, 2), pin->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(pin, &open);
}

void Choose(QWidget* pin, const char* item) {
    OpenMenu(pin);
    MarksOnPin::Trigger(pin, item);
}

void Press(QWidget* window, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(window, &press);
}

// While marking, a drag draws, a double-click does not unpin, the keys undo and redo, and Esc
// leaves; the marks can be hidden, and cleared.
TEST_F(MarksOnPin, TheMarkingModeTakesThePointerAndTheKeys) {
    StartWith(Record("0", "0", "2250", "2250", P("c.jpg")));
    pinned_window::PinnedWindow* pin = OnlyPin(*this);
    ASSERT_NE(pin, nullptr);
    Choose(pin, "annotate");
    ASSERT_NE(pin->Marking(), nullptr);
    QWidget* picture = PictureOf(pin);
    Press(pin, Qt::Key_R);
    pin->Marking()->Editor().SetColor(Qt::yellow);
    pin->Marking()->Editor().SetWidth(10);
    QTest::mousePress(picture, Qt::LeftButton, {}, QPoint(15, 15));
    QTest::mouseMove(picture, QPoint(80, 80));
    QTest::mouseRelease(picture, Qt::LeftButton, {}, QPoint(135, 135));
    EXPECT_TRUE(FrameShown(pin));
    QTest::mouseDClick(picture, Qt::LeftButton, {}, QPoint(75, 75));
    EXPECT_EQ(OnlyPin(*this), pin) << "unpinned while marking";
    Press(pin, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_FALSE(FrameShown(pin));
    Press(pin, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(FrameShown(pin));
    Press(pin, Qt::Key_Escape);
    EXPECT_EQ(pin->Marking(), nullptr);

    Choose(pin, "showMarks");
    EXPECT_FALSE(FrameShown(pin));
    EXPECT_FALSE(Board().Settings().at(0).showMarks);
    Choose(pin, "showMarks");
    EXPECT_TRUE(FrameShown(pin));
    Choose(pin, "clearMarks");
    EXPECT_FALSE(FrameShown(pin));
    pin->Marks()->History().undo();
    EXPECT_TRUE(FrameShown(pin));
}

}  // namespace
