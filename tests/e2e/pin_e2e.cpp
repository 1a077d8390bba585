// Unpinning and pinning again under a real window manager: the picture stays on the same
// screen pixels throughout, whether it goes into the display window or back, and pinning
// rewrites the data file with the pinned window's place.
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QThread>
#include <cstdio>

#include "e2e_test.h"

namespace e2e {
namespace {

const QString kPinned = QStringLiteral("vellora-pin");
const QString kDisplay = QStringLiteral("vellora-display");

// Every pinning is checked through this.
#define ASSERT_PINNED_AT(rect) ASSERT_TRUE(ExpectPinnedAt(rect))

class PinTest : public ProgramTest {
protected:
    // The picture area of `area` in `now` must be pixel for pixel what it was in `before`;
    // otherwise the failure names the shift that explains the difference best.
    void ExpectSamePixels(const QImage& before, const QImage& now, const QRect& area,
                          const QString& step) {
        const QRect onScreen = area & before.rect();
        const int differing = DifferingPixels(before, now, onScreen);
        if (differing == 0) return;
        Keep(before, step + QStringLiteral("-before.png"));
        Keep(now, step + QStringLiteral("-after.png"));
        const Shift shift = BestShift(before, now, onScreen, 100);
        ADD_FAILURE() << step.toStdString() << ": " << differing << " of "
                      << onScreen.width() * onScreen.height() << " pixels of "
                      << ToString(onScreen).toStdString() << " changed; the best match is the "
                      << "picture moved by (" << shift.offset.x() << ", " << shift.offset.y()
                      << ") with " << shift.differing << " pixels still different";
    }

    // The picture that was at `from` in `before` is now at `to` in `now`, pixel for pixel.
    void ExpectMovedPixels(const QImage& before, const QRect& from, const QImage& now,
                           const QRect& to, const QString& step) {
        const QImage was = before.copy(from);
        const QImage is = now.copy(to);
        const int differing = DifferingPixels(was, is, was.rect());
        if (differing == 0) return;
        Keep(before, step + QStringLiteral("-before.png"));
        Keep(now, step + QStringLiteral("-after.png"));
        ADD_FAILURE() << step.toStdString() << ": the picture of " << ToString(from).toStdString()
                      << " is not at " << ToString(to).toStdString() << " (" << differing
                      << " pixels differ)";
    }

    // Moves the display window through the window manager and waits until it is there;
    // returns its new client rectangle.
    QRect MoveDisplay(const WindowInfo& display, QPoint by) {
        const QRect start = session->ClientRect(display.id).value_or(display.rect);
        const QRect expected = start.translated(by);
        EXPECT_TRUE(session->MoveWindow(display.id, expected.topLeft()));
        EXPECT_TRUE(
            XSession::WaitUntil([&] { return session->ClientRect(display.id) == expected; }, 5000))
            << "the display window is at "
            << ToString(session->ClientRect(display.id).value_or(QRect())).toStdString()
            << ", expected " << ToString(expected).toStdString();
        return expected;
    }

    // The single pinned window, at `pixels`, out of the taskbar and without a frame.
    std::optional<WindowInfo> ExpectPinnedAt(const QRect& pixels) {
        const QList<WindowInfo> windows = session->WaitForWindows(kPinned, 1, 10000);
        if (windows.size() != 1) {
            ADD_FAILURE() << windows.size() << " pinned windows, expected one";
            return std::nullopt;
        }
        const WindowInfo& window = windows.first();
        // A picture pinned in the screen's corner would mean the display window took its place
        // from the moment the window manager was still framing it.
        EXPECT_EQ(ToString(window.rect).toStdString(), ToString(pixels).toStdString());
        ExpectPinnedWindowStates(window.id);
        EXPECT_EQ(session->FrameExtentsOf(window.id), std::optional<FrameExtents>(FrameExtents{}))
            << session->Describe(window.id).toStdString();
        return window;
    }

    // Double-clicks the pinned picture and returns the display window that replaces it, after
    // checking that its picture area lies where the pinned window was.
    std::optional<WindowInfo> Unpin(const QRect& pinned) {
        const QRect visible = pinned & QRect(QPoint(0, 0), session->ScreenSize());
        EXPECT_TRUE(session->DoubleClick(visible.center()));
        std::optional<WindowInfo> display = session->WaitForWindow(kDisplay, 10000);
        if (!display) {
            ADD_FAILURE() << "no display window after the double-click";
            return std::nullopt;
        }
        EXPECT_TRUE(session->WaitForNoWindow(kPinned, 5000)) << "the pinned window stayed";
        // The client area is the menu bar above the picture: same left edge, same width, and
        // its bottom where the pinned window's bottom was.
        EXPECT_EQ(display->rect.left(), pinned.left()) << ToString(display->rect).toStdString();
        EXPECT_EQ(display->rect.width(), pinned.width()) << ToString(display->rect).toStdString();
        EXPECT_EQ(display->rect.bottom(), pinned.bottom()) << ToString(display->rect).toStdString();
        EXPECT_LT(display->rect.top(), pinned.top()) << "no room for the menu bar";
        const std::optional<FrameExtents> frame = session->FrameExtentsOf(display->id);
        EXPECT_TRUE(frame && frame->top > 0) << "the display window has no title bar";
        return display;
    }

    // Unpins, and checks that the display window shows the picture on the same pixels.
    std::optional<WindowInfo> UnpinInPlace(const QRect& pinned, const QImage& original,
                                           const QString& step) {
        std::optional<WindowInfo> display = Unpin(pinned);
        if (display) {
            ExpectSamePixels(original, session->SettledScreenshot(pinned), pinned, step);
        }
        return display;
    }

    // After a pinning: the display window gone, the picture pinned on the same pixels as
    // before, and the data file holding `record`. False when no pinned window came.
    bool ExpectPinnedInPlace(const QRect& pinned, const QImage& original, const QByteArray& record,
                             const QString& step) {
        EXPECT_TRUE(session->WaitForNoWindow(kDisplay, 5000))
            << "the display window stayed: " << step.toStdString();
        if (!ExpectPinnedAt(pinned)) return false;
        ExpectDataFile(record);
        ExpectSamePixels(original, session->SettledScreenshot(pinned), pinned, step);
        return true;
    }

    // The point in the middle of the display window's menu bar, at the first menu's title.
    static QPoint FirstMenuTitle(const WindowInfo& display, const QRect& picture) {
        return QPoint(display.rect.left() + 15, (display.rect.top() + picture.top()) / 2);
    }

    void WritePicture(const QString& name, QSize size) {
        picturePath = Path(name);
        ASSERT_TRUE(WriteJpeg(picturePath, PatternImage(size)));
    }

    QString picturePath;
};

TEST_F(PinTest, UnpinAndPinAgainLeaveThePictureOnTheSamePixels) {
    WritePicture(QStringLiteral("pattern.jpg"), QSize(300, 200));
    const QRect pinned(150, 150, 300, 200);
    const QByteArray record = DataRecord({"2250", "2250", "4500", "3000"}, picturePath);
    ASSERT_TRUE(WriteBytes(DataFile(), record));
    ASSERT_TRUE(Start());

    ASSERT_PINNED_AT(pinned);
    ExpectDataFile(record);
    const QImage original = session->SettledScreenshot(pinned);
    ASSERT_FALSE(original.isNull());
    // The pattern is on screen, not an empty window.
    ASSERT_GT(DifferingPixels(original, QImage(original.size(), QImage::Format_RGB32), pinned, 20),
              pinned.width() * pinned.height() / 2);

    // Unpinned into the display window.
    std::optional<WindowInfo> display = UnpinInPlace(pinned, original, QStringLiteral("unpin"));
    ASSERT_TRUE(display);
    EXPECT_EQ(Printable(ReadBytes(DataFile())).toStdString(), Printable(record).toStdString())
        << "unpinning wrote the data file";

    // Pinned again with the menu's first item.
    ASSERT_TRUE(session->TriggerMenuItem(FirstMenuTitle(*display, pinned), 0))
        << "the menu did not open or close";
    ASSERT_TRUE(ExpectPinnedInPlace(pinned, original, record, QStringLiteral("menu-pin")));

    // Unpinned once more, and pinned by a double-click on the picture.
    ASSERT_TRUE(UnpinInPlace(pinned, original, QStringLiteral("unpin-2")));
    EXPECT_TRUE(session->DoubleClick(pinned.center()));
    ASSERT_TRUE(ExpectPinnedInPlace(pinned, original, record, QStringLiteral("click-pin")));
}

// A picture on a drive that mounts after the program started: its record waits, unchanged, and
// the picture is pinned in its place once its folder appears; it is then a pin like any other.
TEST_F(PinTest, APictureWhoseFolderIsNotThereYetIsPinnedWhenTheFolderAppears) {
    const QRect pinned(150, 150, 300, 200);
    const QByteArray record =
        DataRecord({"2250", "2250", "4500", "3000"}, Path(QStringLiteral("later/pattern.jpg")));
    ASSERT_TRUE(WriteBytes(DataFile(), record));
    ASSERT_TRUE(Start());
    // Nothing was placed: the main window shows, and the record stays as it was.
    ASSERT_TRUE(session->WaitForWindow(QStringLiteral("vellora-main"), 20000));
    EXPECT_TRUE(session->VisibleWindows(kPinned).isEmpty());
    ExpectDataFile(record);

    // The folder appears with its picture in it, as a mount brings it.
    ASSERT_TRUE(QDir(Path({})).mkpath(QStringLiteral("staging/later")));
    ASSERT_TRUE(WriteJpeg(Path(QStringLiteral("staging/later/pattern.jpg")),
                          PatternImage(QSize(300, 200))));
    ASSERT_TRUE(QDir(Path({})).rename(QStringLiteral("staging/later"), QStringLiteral("later")));
    ASSERT_PINNED_AT(pinned);
    ExpectDataFile(record);

    // Unpinned and deleted ("削除", the menu's second item): saved without it.
    const std::optional<WindowInfo> display = Unpin(pinned);
    ASSERT_TRUE(display);
    ASSERT_TRUE(session->TriggerMenuItem(FirstMenuTitle(*display, pinned), 1));
    ExpectDataFile(QByteArray());
}

TEST_F(PinTest, PictureAboveAndLeftOfTheScreenKeepsItsPlace) {
    // The display window's title bar and menu bar then lie above the top of the screen.
    WritePicture(QStringLiteral("corner.jpg"), QSize(200, 100));
    const QRect pinned(-30, 20, 200, 100);
    const QByteArray record = DataRecord({"-450", "300", "3000", "1500"}, picturePath);
    ASSERT_TRUE(WriteBytes(DataFile(), record));
    ASSERT_TRUE(Start());

    ASSERT_PINNED_AT(pinned);
    const QImage original = session->SettledScreenshot(pinned);
    ASSERT_FALSE(original.isNull());

    const std::optional<WindowInfo> display =
        UnpinInPlace(pinned, original, QStringLiteral("unpin"));
    ASSERT_TRUE(display);
    // Still where it was put when the picture is pinned from it.
    EXPECT_EQ(session->ClientRect(display->id), std::optional<QRect>(display->rect));

    const QRect visible = pinned & original.rect();
    EXPECT_TRUE(session->DoubleClick(visible.center()));
    ASSERT_TRUE(ExpectPinnedInPlace(pinned, original, record, QStringLiteral("pin")));
}

TEST_F(PinTest, DisplayWindowMovedByTheUserPinsWhereItNowIs) {
    WritePicture(QStringLiteral("moved.jpg"), QSize(300, 200));
    const QRect pinned(150, 150, 300, 200);
    ASSERT_TRUE(WriteBytes(DataFile(), DataRecord({"2250", "2250", "4500", "3000"}, picturePath)));
    ASSERT_TRUE(Start());
    ASSERT_PINNED_AT(pinned);
    const QImage original = session->SettledScreenshot(pinned);
    ASSERT_FALSE(original.isNull());

    const std::optional<WindowInfo> display = Unpin(pinned);
    ASSERT_TRUE(display);
    const QPoint by(60, 40);
    const QRect moved = MoveDisplay(*display, by);
    const QRect picture = pinned.translated(by);
    ExpectMovedPixels(original, pinned, session->SettledScreenshot(picture), picture,
                      QStringLiteral("move"));

    WindowInfo movedDisplay = *display;
    movedDisplay.rect = moved;
    ASSERT_TRUE(session->TriggerMenuItem(FirstMenuTitle(movedDisplay, picture), 0));
    ASSERT_PINNED_AT(picture);
    const QByteArray record = DataRecord({"3150", "2850", "4500", "3000"}, picturePath);
    ExpectDataFile(record);
    ExpectMovedPixels(original, pinned, session->SettledScreenshot(picture), picture,
                      QStringLiteral("pin"));
}

TEST_F(PinTest, DisplayWindowMovedAwayAndBackPinsWhereItIs) {
    WritePicture(QStringLiteral("back.jpg"), QSize(300, 200));
    const QRect pinned(150, 150, 300, 200);
    const QByteArray record = DataRecord({"2250", "2250", "4500", "3000"}, picturePath);
    ASSERT_TRUE(WriteBytes(DataFile(), record));
    ASSERT_TRUE(Start());
    ASSERT_PINNED_AT(pinned);
    const QImage original = session->SettledScreenshot(pinned);
    ASSERT_FALSE(original.isNull());

    const std::optional<WindowInfo> display = Unpin(pinned);
    ASSERT_TRUE(display);
    MoveDisplay(*display, QPoint(60, 40));
    MoveDisplay(*display, QPoint(-60, -40));
    ExpectSamePixels(original, session->SettledScreenshot(pinned), pinned,
                     QStringLiteral("moved-back"));

    ASSERT_TRUE(session->TriggerMenuItem(FirstMenuTitle(*display, pinned), 0));
    ASSERT_TRUE(ExpectPinnedInPlace(pinned, original, record, QStringLiteral("pin")));
}

TEST_F(PinTest, FocusLeavingForAnotherProgramKeepsTheDisplayWindow) {
    WritePicture(QStringLiteral("focus.jpg"), QSize(300, 200));
    const QRect pinned(150, 150, 300, 200);
    const QByteArray record = DataRecord({"2250", "2250", "4500", "3000"}, picturePath);

    // Whether it happens depends on the order in which Qt lists the program's windows, which
    // changes from run to run; several runs make a miss unlikely.
    for (int run = 0; run < 6; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        ASSERT_TRUE(WriteBytes(DataFile(), record));
        ASSERT_TRUE(Start());
        ASSERT_PINNED_AT(pinned);
        ASSERT_TRUE(Unpin(pinned));
        ASSERT_TRUE(session->OpenForeignWindow(QStringLiteral("Other program %1").arg(run),
                                               QRect(700, 600, 200, 100)));
        // Past the 400 ms after which Qt takes the focus as gone from the program.
        QThread::msleep(1000);
        ASSERT_FALSE(session->VisibleWindows(kDisplay).isEmpty())
            << "the display window pinned itself when another program took the focus";
        EXPECT_TRUE(session->VisibleWindows(kPinned).isEmpty());
        session->StopProgram();
    }
}

TEST_F(PinTest, FirstDisplayWindowTakesItsPlaceFromWhereItIs) {
    WritePicture(QStringLiteral("race.jpg"), QSize(200, 100));
    const QRect pinned(-30, 20, 200, 100);
    const QByteArray record = DataRecord({"-450", "300", "3000", "1500"}, picturePath);
    // The display window is made and framed once per run; the race is only in that.
    for (int run = 0; run < 8; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        ASSERT_TRUE(WriteBytes(DataFile(), record));
        ASSERT_TRUE(Start());
        ASSERT_PINNED_AT(pinned);
        ASSERT_TRUE(Unpin(pinned));
        ASSERT_TRUE(
            session->DoubleClick((pinned & QRect(QPoint(0, 0), session->ScreenSize())).center()));
        ASSERT_TRUE(session->WaitForNoWindow(kDisplay, 5000));
        ASSERT_PINNED_AT(pinned);
        session->StopProgram();
    }
}

// A followed file saved as editors do, a new file renamed over the old one: the new picture is
// on the screen at the pin's width, its height from the new shape.
TEST_F(PinTest, AFollowedFileRenamedOverShowsTheNewPicture) {
    WritePicture(QStringLiteral("followed.jpg"), QSize(300, 200));
    ASSERT_TRUE(WriteBytes(DataFile(), DataRecord({"2250", "2250", "4500", "3000"}, picturePath)));
    ASSERT_TRUE(WriteBytes(Path(QStringLiteral("pin-settings.json")),
                           QStringLiteral(R"({"pins": [{"path": "%1", "followFile": true,
                                          "geometry": ["2250", "2250", "4500", "3000"]}]})")
                               .arg(picturePath)
                               .toUtf8()));
    ASSERT_TRUE(Start());
    ASSERT_PINNED_AT(QRect(150, 150, 300, 200));

    ASSERT_TRUE(WriteJpeg(Path(QStringLiteral("followed.new")),
                          PatternImage(QSize(300, 450)).mirrored(true, false)));
    // In one step (QDir::rename refuses an existing name).
    ASSERT_EQ(std::rename(QFile::encodeName(Path(QStringLiteral("followed.new"))).constData(),
                          QFile::encodeName(picturePath).constData()),
              0);
    const QRect shown(150, 150, 300, 450);
    EXPECT_TRUE(XSession::WaitUntil(
        [&] { return session->VisibleWindows(kPinned).value(0).rect == shown; }, 5000));
    ExpectDataFile(DataRecord({"2250", "2250", "4500", "6750"}, picturePath));
    QImage expected(session->ScreenSize(), QImage::Format_RGB32);
    QPainter(&expected).drawImage(shown.topLeft(), QImage(Path(QStringLiteral("followed.jpg"))));
    const QImage screen = session->SettledScreenshot(shown);
    EXPECT_LT(DifferingPixels(expected, screen, shown, 24), shown.width() * shown.height() / 100);
}

// A wheel notch over the pin's top left corner zooms it by 10 % with that corner kept, and the
// data file is rewritten with the new geometry; a notch back undoes it.
TEST_F(PinTest, AWheelNotchZoomsThePinAndIsSaved) {
    WritePicture(QStringLiteral("wheel.jpg"), QSize(300, 200));
    ASSERT_TRUE(WriteBytes(DataFile(), DataRecord({"2250", "2250", "4500", "3000"}, picturePath)));
    ASSERT_TRUE(Start());
    const std::optional<WindowInfo> pin = ExpectPinnedAt(QRect(150, 150, 300, 200));
    ASSERT_TRUE(pin);
    const struct {
        int button;
        QRect rect;
        const char* width;
        const char* height;
    } notches[] = {{4, {150, 150, 330, 220}, "4950", "3300"},
                   {5, {150, 150, 300, 200}, "4500", "3000"}};
    for (const auto& notch : notches) {
        ASSERT_TRUE(session->Click(QPoint(150, 150), notch.button));
        EXPECT_TRUE(
            XSession::WaitUntil([&] { return session->ClientRect(pin->id) == notch.rect; }, 5000))
            << ToString(session->ClientRect(pin->id).value_or(QRect())).toStdString();
        ExpectDataFile(DataRecord({"2250", "2250", notch.width, notch.height}, picturePath));
    }
}

}  // namespace
}  // namespace e2e
