// Sizing the display window under a real window manager: the user drags its width, the height
// follows the picture's shape without swinging back and forth, a drag of the height alone
// changes nothing, pinning keeps the new size, and the window cannot be maximised.
#include <QThread>

#include "e2e_test.h"

namespace e2e {
namespace {

const QString kPinned = QStringLiteral("vellora-pin");
const QString kDisplay = QStringLiteral("vellora-display");

class ResizeTest : public ProgramTest {
protected:
    // Drags with Alt and the right button, which makes the window manager resize the window
    // from the edge nearest the pointer; samples the window's client rectangle at every step.
    QList<QRect> ResizeDrag(WindowId id, QPoint from, QPoint by, int steps) {
        QList<QRect> seen;
        session->Run(QStringLiteral("xdotool"),
                     {"mousemove", QString::number(from.x()), QString::number(from.y()), "keydown",
                      "alt", "mousedown", "3"});
        for (int step = 1; step <= steps; ++step) {
            const QPoint at = from + by * step / steps;
            session->Run(QStringLiteral("xdotool"),
                         {"mousemove", QString::number(at.x()), QString::number(at.y())});
            QThread::msleep(60);
            if (const auto rect = session->ClientRect(id)) seen.append(*rect);
        }
        session->Run(QStringLiteral("xdotool"), {"mouseup", "3", "keyup", "alt"});
        return seen;
    }
};

TEST_F(ResizeTest, HeightFollowsWidthAndTheHeightAloneCannotBeDragged) {
    const QString picture = Path(QStringLiteral("wide.jpg"));
    ASSERT_TRUE(WriteJpeg(picture, PatternImage(QSize(300, 200))));
    ASSERT_TRUE(WriteBytes(DataFile(), DataRecord({"2250", "2250", "4500", "3000"}, picture)));
    ASSERT_TRUE(Start());
    ASSERT_EQ(session->WaitForWindows(kPinned, 1).size(), 1);
    ASSERT_TRUE(session->DoubleClick(QPoint(300, 250)));
    const std::optional<WindowInfo> display = session->WaitForWindow(kDisplay);
    ASSERT_TRUE(display);
    const int menuBar = display->rect.height() - 200;
    const auto pictureHeightFor = [](int width) { return qRound(width * 200.0 / 300.0); };

    // Widening by 120 pixels in steps: widths and heights only grow, and every height is the
    // picture's for the width of this step or of the one before.
    const QList<QRect> widening = ResizeDrag(display->id, QPoint(440, 250), QPoint(120, 0), 12);
    int lastWidth = display->rect.width();
    int lastHeight = display->rect.height();
    for (const QRect& rect : widening) {
        EXPECT_GE(rect.width(), lastWidth);
        EXPECT_GE(rect.height(), lastHeight) << "the height swung back at width " << rect.width();
        EXPECT_LE(rect.height() - menuBar, pictureHeightFor(rect.width()));
        lastWidth = rect.width();
        lastHeight = rect.height();
    }
    QRect settled;
    ASSERT_TRUE(XSession::WaitUntil(
        [&] {
            settled = session->ClientRect(display->id).value_or(QRect());
            return settled.width() > 300 &&
                   settled.height() == menuBar + pictureHeightFor(settled.width());
        },
        5000))
        << "settled at " << ToString(settled).toStdString();
    EXPECT_EQ(settled.topLeft(), display->rect.topLeft());

    // The bottom edge alone: the window keeps its height.
    ResizeDrag(display->id, QPoint(settled.center().x(), settled.bottom() - 5), QPoint(0, 60), 6);
    QThread::msleep(300);
    EXPECT_EQ(session->ClientRect(display->id), std::optional<QRect>(settled));

    // Pinned at the new size, exactly over the picture area.
    const QRect area(settled.left(), settled.top() + menuBar, settled.width(),
                     settled.height() - menuBar);
    ASSERT_TRUE(session->DoubleClick(area.center()));
    const QList<WindowInfo> pinned = session->WaitForWindows(kPinned, 1);
    ASSERT_EQ(pinned.size(), 1);
    EXPECT_EQ(ToString(pinned[0].rect).toStdString(), ToString(area).toStdString());
    ExpectDataFile(
        DataRecord({QString::number(area.left() * 15), QString::number(area.top() * 15),
                    QString::number(area.width() * 15), QString::number(area.height() * 15)},
                   picture));
}

TEST_F(ResizeTest, MaximisingOrFullScreenIsRefusedAndTheWindowStaysAsItWas) {
    // A square picture: at the screen's full width its window would be taller than the screen.
    const QString picture = Path(QStringLiteral("square.jpg"));
    ASSERT_TRUE(WriteJpeg(picture, PatternImage(QSize(300, 300))));
    ASSERT_TRUE(WriteBytes(DataFile(), DataRecord({"3000", "3000", "4500", "4500"}, picture)));
    ASSERT_TRUE(Start());
    ASSERT_EQ(session->WaitForWindows(kPinned, 1).size(), 1);
    const QRect pinned(200, 200, 300, 300);
    ASSERT_TRUE(session->DoubleClick(pinned.center()));
    const std::optional<WindowInfo> display = session->WaitForWindow(kDisplay);
    ASSERT_TRUE(display);

    // The window manager offers no maximising where the window's hints can say so (icewm);
    // openbox offers it to every window it lets the user resize.
    if (session->Manager() == WindowManager::IceWM) {
        const QString actions =
            session->Property(display->id, QStringLiteral("_NET_WM_ALLOWED_ACTIONS"))
                .value_or(QString());
        EXPECT_FALSE(actions.contains(QLatin1String("MAXIMIZE"))) << actions.toStdString();
    }

    // A request from outside, as a pager, a keyboard shortcut or the title bar's button makes.
    for (const char* change : {"add,maximized_vert,maximized_horz", "add,fullscreen"}) {
        SCOPED_TRACE(change);
        ASSERT_TRUE(session->ChangeState(display->id, QString::fromLatin1(change)));
        QRect now;
        QStringList state;
        const bool back = XSession::WaitUntil(
            [&] {
                now = session->ClientRect(display->id).value_or(QRect());
                state = session->WmState(display->id).value_or(QStringList());
                return now == display->rect &&
                       !state.join(' ').contains(QLatin1String("MAXIMIZED")) &&
                       !state.contains(QLatin1String("_NET_WM_STATE_FULLSCREEN"));
            },
            5000);
        EXPECT_TRUE(back) << "the window is at " << ToString(now).toStdString() << ", was at "
                          << ToString(display->rect).toStdString()
                          << "; _NET_WM_STATE = " << state.join(", ").toStdString();
        // and stays there
        QThread::msleep(300);
        EXPECT_EQ(session->ClientRect(display->id), std::optional<QRect>(display->rect));
    }

    // A size the window manager imposed, applied after the state has gone (icewm does so on a
    // busy machine), is refused however late it comes. Asked for the screen's size, icewm gives
    // the full-screen size; openbox keeps the height the hints fix, which gives the maximised
    // size. (A window manager slower than the pause makes this prove nothing, not fail.)
    const QSize screen = session->ScreenSize();
    session->Run(QStringLiteral("xdotool"),
                 {"windowsize", QString::number(display->id), QString::number(screen.width()),
                  QString::number(screen.height())});
    QThread::msleep(500);
    EXPECT_TRUE(XSession::WaitUntil(
        [&] { return session->ClientRect(display->id) == std::optional<QRect>(display->rect); },
        5000));

    // The program's own idea of the window came back too: pinning puts the picture where it was.
    ASSERT_TRUE(session->DoubleClick(pinned.center()));
    const QList<WindowInfo> again = session->WaitForWindows(kPinned, 1);
    ASSERT_EQ(again.size(), 1);
    EXPECT_EQ(ToString(again[0].rect).toStdString(), ToString(pinned).toStdString());
}

}  // namespace
}  // namespace e2e
