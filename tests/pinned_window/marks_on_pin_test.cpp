#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
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
    // Menus left open would answer first, with the items as they were then.
    qDeleteAll(pin->findChildren<QMenu*>(Qt::FindDirectChildrenOnly));
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

namespace {

// A 120 x 80 picture whose four quarters differ, so that every turn and flip shows.
QImage Quarters() {
    QImage image(120, 80, QImage::Format_RGB32);
    image.fill(Qt::red);
    QPainter painter(&image);
    painter.fillRect(60, 0, 60, 40, Qt::green);
    painter.fillRect(0, 40, 60, 40, Qt::blue);
    painter.fillRect(60, 40, 60, 40, Qt::yellow);
    painter.fillRect(10, 10, 20, 10, Qt::white);
    return image;
}

QImage Shown(pinned_window::PinnedWindow* pin) {
    return pin->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

}  // namespace

// Turned and flipped from the menu, the pin shows the picture so at its own scale, about its
// centre; unpinned, the display window is given it so and pins it so again. The file is never
// touched.
TEST_F(MarksOnPin, TurnsAndFlipsShowThePictureSoAndStaySoWhenPinnedAgain) {
    ASSERT_TRUE(Quarters().save(P("q.png")));
    const QByteArray bytes = test_support::ReadBytes(P("q.png"));
    const struct {
        const char* items;  // the menu items chosen, in turn
        int degrees;
        bool mirrored;
        QRect rect;
    } cases[] = {
        {"turnRight", 90, false, {320, 280, 80, 120}},
        {"flipHorizontally", 0, true, {300, 300, 120, 80}},
        {"flipVertically turnLeft", 270, true, {320, 280, 80, 120}},
        {"turnRight flipHorizontally", 90, true, {320, 280, 80, 120}},
        {"turnRight turnRight turnRight turnRight", 0, false, {300, 300, 120, 80}},
    };
    for (const auto& c : cases) {
        StartWith(Record("4500", "4500", "1800", "1200", P("q.png")));
        pinned_window::PinnedWindow* pin = OnlyPin(*this);
        ASSERT_NE(pin, nullptr) << c.items;
        for (const QString& item : QString::fromLatin1(c.items).split(u' ')) {
            Choose(pin, item.toLatin1().constData());
        }
        const QImage expected =
            Quarters().transformed(QTransform().rotate(c.degrees)).mirrored(c.mirrored, false);
        EXPECT_EQ(pin->OuterPixels(), c.rect) << c.items;
        EXPECT_EQ(Shown(pin), expected) << c.items;
        const pin_board::Placement again{PathOf("q.png"), pin->Picture(), pin->Rect()};
        Board().Unpin(pin);
        EXPECT_EQ(again.picture->NaturalSize(), c.rect.size()) << c.items;
        Board().Pin(again);
        ASSERT_NE(OnlyPin(*this), nullptr) << c.items;
        EXPECT_EQ(Shown(OnlyPin(*this)), expected) << c.items << ", pinned again";
        EXPECT_EQ(test_support::ReadBytes(P("q.png")), bytes) << c.items;
        QFile::remove(P("pin-settings.json"));
    }
}

// A crop dragged over the pin keeps that part where it was; a mark turns with the picture; one
// history takes back both, in order; the reset brings back the whole picture.
TEST_F(MarksOnPin, CropsAndTurnsShareTheHistoryOfTheMarks) {
    ASSERT_TRUE(Quarters().save(P("q.png")));
    StartWith(Record("4500", "4500", "1800", "1200", P("q.png")));
    pinned_window::PinnedWindow* pin = OnlyPin(*this);
    ASSERT_NE(pin, nullptr);
    QWidget* picture = PictureOf(pin);
    marks::MarkSet* set = Board().List().MarksToEdit(Board().List().At(0).id);
    // Outside the part kept: hidden by the crop, and kept for the reset.
    const marks::Mark box{.kind = marks::Kind::Rectangle,
                          .points = {{100, 70}, {110, 75}},
                          .color = Qt::black,
                          .width = 2,
                          .text = {}};
    set->Add(box);

    Choose(pin, "crop");
    ASSERT_NE(pin->Crop(), nullptr);
    QTest::mousePress(picture, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseMove(picture, QPoint(40, 30));
    QTest::mouseMove(picture, QPoint(70, 50));
    QTest::mouseRelease(picture, Qt::LeftButton, {}, QPoint(70, 50));
    // Moved by its inside, then kept with Enter.
    QTest::mousePress(picture, Qt::LeftButton, {}, QPoint(40, 30));
    QTest::mouseMove(picture, QPoint(45, 32));
    QTest::mouseRelease(picture, Qt::LeftButton, {}, QPoint(45, 32));
    Press(pin, Qt::Key_Return);
    EXPECT_EQ(pin->Crop(), nullptr);
    EXPECT_EQ(pin->OuterPixels(), QRect(315, 312, 60, 40));
    EXPECT_EQ(Shown(pin), Quarters().copy(15, 12, 60, 40));
    EXPECT_EQ(set->Marks()[0].points[0], QPointF(85, 58));

    Choose(pin, "turnRight");
    EXPECT_EQ(pin->OuterPixels(), QRect(325, 302, 40, 60));
    EXPECT_EQ(set->Marks()[0].points[0], QPointF(-18, 85));
    // Undone from the pin's own keys: the turn, the crop, then the mark.
    Press(pin, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(pin->OuterPixels(), QRect(315, 312, 60, 40));
    Press(pin, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(pin->OuterPixels(), QRect(300, 300, 120, 80));
    EXPECT_EQ(set->Marks()[0], box);
    Press(pin, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(set->IsEmpty());
    Press(pin, Qt::Key_Y, Qt::ControlModifier);
    Press(pin, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(pin->OuterPixels(), QRect(315, 312, 60, 40));

    // Esc leaves a crop unchanged; the reset keeps the part shown where it is.
    Choose(pin, "crop");
    QTest::mousePress(picture, Qt::LeftButton, {}, QPoint(1, 1));
    QTest::mouseRelease(picture, Qt::LeftButton, {}, QPoint(20, 20));
    Press(pin, Qt::Key_Escape);
    EXPECT_EQ(pin->OuterPixels(), QRect(315, 312, 60, 40));
    Choose(pin, "resetTransform");
    EXPECT_EQ(pin->OuterPixels(), QRect(300, 300, 120, 80));
    EXPECT_TRUE(Board().Settings().at(0).transform.IsIdentity());
    Choose(pin, "showMarks");
    EXPECT_EQ(Shown(pin), Quarters());
}
