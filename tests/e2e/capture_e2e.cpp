// A part of the screen captured with vellora --capture and a drag: the pin lies at exactly that
// rectangle with exactly its pixels, its file is in "captured" and its record in the data file,
// and it comes back after a restart; Esc leaves nothing. Without and with xcompmgr, at a scale
// of 2, and with the pixels of a stand-in desktop portal on a private session bus.
#include <QDir>
#include <QPainter>
#include <QStandardPaths>
#include <algorithm>
#include <functional>
#include <tuple>

#include "e2e_test.h"
#include "program_runs.h"

namespace e2e {
namespace {

const QString kOverlay = QStringLiteral("画面の一部を張り付け");
const QString kPinned = QStringLiteral("Form3");

// Every pixel differs from its neighbours: a pin one pixel off, or resampled, shows.
QImage Pattern(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    for (int i = 0; i < size.width() * size.height(); ++i) {
        const int x = i % size.width(), y = i / size.width();
        image.setPixel(x, y, qRgb(x * 7 & 255, y * 13 & 255, (x ^ y) * 5 & 255));
    }
    return image;
}

bool SamePixels(const QImage& a, const QImage& b) {
    return a.size() == b.size() && DifferingPixels(a, b, a.rect()) == 0;
}

class CaptureTest : public ProgramTest {
protected:
    QStringList Data() const { return {QStringLiteral("--data-dir"), work.path()}; }
    QStringList Captured() const {
        return QDir(Path(QStringLiteral("captured"))).entryList(QDir::Files, QDir::Name);
    }
    qsizetype OverlaysShown() const {
        const QList<WindowInfo> popups = session->VisiblePopups();
        return std::count_if(popups.begin(), popups.end(),
                             [](const WindowInfo& w) { return w.title == kOverlay; });
    }
    bool OverlayShown() const { return OverlaysShown() > 0; }
    // The pattern on the root window, and the program started.
    void StartOnPattern() {
        const QString root = Path(QStringLiteral("root.png"));
        ASSERT_TRUE(Pattern(session->ScreenSize()).save(root));
        session->Run(QStringLiteral("display"), {"-window", "root", root});
        ASSERT_TRUE(session->StartProgram(QStringLiteral(VELLORA_PROGRAM), work.path(), Data()));
        ASSERT_TRUE(session->WaitForWindow(QStringLiteral("Vellora"), 20000));
    }
    // vellora --capture, which exits at once with status 0.
    bool RunCapture(const QStringList& more = {}) const {
        const FinishedRun run =
            RunToEnd(QStringLiteral(VELLORA_PROGRAM), work.path(),
                     Data() + QStringList{"--capture"} + more, session->Environment());
        EXPECT_TRUE(run.finished && run.exitCode == 0) << run.output.toStdString();
        return run.finished && run.exitCode == 0;
    }
    bool BeginCapture() const {
        return RunCapture() && XSession::WaitUntil([&] { return OverlayShown(); }, 10000);
    }
    bool Drag(const QRect& rect) const {
        return session->Drag(rect.topLeft(), rect.bottomRight() + QPoint(1, 1));
    }
    // Drags `dragged` over the overlay, or captures as `capture` does, and expects one more pin:
    // at exactly that rectangle, or with its corners within `slack` pixels of its corners, with
    // exactly the pixels `screen` had there in its new file in "captured" and on the screen, and
    // saved.
    void CaptureAndExpect(const QRect& dragged, const QImage& screen, int slack = 0,
                          const std::function<bool()>& capture = {}) {
        const QStringList before = Captured();
        const int pins = session->VisibleWindows(kPinned).size();
        if (capture) {
            ASSERT_TRUE(capture());
        } else {
            ASSERT_TRUE(BeginCapture());
            ASSERT_TRUE(Drag(dragged));
        }
        const auto atDragged = [&](const WindowInfo& w) {
            return (w.rect.topLeft() - dragged.topLeft()).manhattanLength() <= slack &&
                   (w.rect.bottomRight() - dragged.bottomRight()).manhattanLength() <= slack;
        };
        // Some window managers map a new window before they move it where it asked to be.
        QList<WindowInfo> now;
        XSession::WaitUntil(
            [&] {
                now = session->VisibleWindows(kPinned);
                return std::any_of(now.begin(), now.end(), atDragged);
            },
            10000);
        const auto pin = std::find_if(now.begin(), now.end(), atDragged);
        ASSERT_NE(pin, now.end()) << "no pin at " << ToString(dragged).toStdString();
        EXPECT_EQ(now.size(), pins + 1);
        const QRect rect = pin->rect;
        const QImage expected = screen.copy(rect);
        EXPECT_TRUE(XSession::WaitUntil([&] { return !OverlayShown(); }, 5000));
        ASSERT_EQ(Captured().size(), before.size() + 1);
        const QString file = Path(QStringLiteral("captured/") + Captured().last());
        EXPECT_TRUE(SamePixels(QImage(file), expected));
        // Under a compositing manager that fades windows in, once the fade is over.
        EXPECT_TRUE(XSession::WaitUntil(
            [&] { return SamePixels(session->Screenshot().copy(rect), expected); }, 5000));
        EXPECT_TRUE(XSession::WaitUntil(
            [&] { return ReadBytes(DataFile()).contains(QFile::encodeName(file)); }, 5000, 50));
    }

    // At `scale` a pin can lie only on whole logical pixels, and the window manager sizes it in
    // steps: it is pinned within `slack` of the drag, on the pixels it shows.
    void CaptureAtScale(const QString& scale, const QRect& dragged, int slack) {
        session->AddEnvironment(QStringLiteral("QT_SCALE_FACTOR"), scale);
        ASSERT_NO_FATAL_FAILURE(StartOnPattern());
        const QImage screen =
            session->SettledScreenshot(dragged.marginsAdded(QMargins(slack, slack, slack, slack)));
        ASSERT_NO_FATAL_FAILURE(CaptureAndExpect(dragged, screen, slack));
    }

    // Another program's window at `rect`, once its frame has stopped changing: some window
    // managers map a window before they frame and move it.
    void OpenTarget(const QRect& rect, std::optional<WindowInfo>& target,
                    std::optional<QRect>& framed) {
        ASSERT_TRUE(session->OpenForeignWindow(QStringLiteral("snap target"), rect));
        ASSERT_TRUE(target = session->WaitForWindow(QStringLiteral("snap target")));
        ASSERT_TRUE(XSession::WaitUntil(
            [&] {
                const std::optional<QRect> before = framed;
                framed = session->FrameRect(target->id);
                return framed && framed == before;
            },
            5000, 300));
    }
    bool MoveTo(QPoint at) const {
        bool ok = false;
        session->Run(QStringLiteral("xdotool"),
                     {"mousemove", QString::number(at.x()), QString::number(at.y())}, &ok);
        return ok;
    }
    bool HidePins() const {
        RunToEnd(QStringLiteral(VELLORA_PROGRAM), work.path(),
                 Data() + QStringList{"--pins", "hide"}, session->Environment());
        return session->WaitForNoWindow(kPinned, 5000);
    }
    // At `scale` a click pins the window within `slack` of its frame, on the pixels it shows.
    void ClickAtScale(const QString& scale, int slack) {
        session->AddEnvironment(QStringLiteral("QT_SCALE_FACTOR"), scale);
        ASSERT_NO_FATAL_FAILURE(StartOnPattern());
        std::optional<WindowInfo> target;
        std::optional<QRect> framed;
        ASSERT_NO_FATAL_FAILURE(OpenTarget(QRect(301, 201, 321, 241), target, framed));
        const QPoint middle = target->rect.center();
        const QImage screen =
            session->SettledScreenshot(framed->marginsAdded(QMargins(slack, slack, slack, slack)));
        ASSERT_NO_FATAL_FAILURE(CaptureAndExpect(*framed, screen, slack, [&] {
            return MoveTo(middle) && BeginCapture() && session->Click(middle);
        }));
    }

    // The lines the stand-in portal printed, once there are `count`.
    QByteArray PortalCalls(int count) {
        QByteArray calls;
        XSession::WaitUntil(
            [&] {
                portal.waitForReadyRead(50);
                return (calls += portal.readAll()).count('\n') >= count;
            },
            5000);
        return calls;
    }

    // Killed with the test, as QProcess ends what it started.
    QProcess compositor, bus, portal;
};

TEST_F(CaptureTest, ADraggedRectangleIsPinnedOnItsOwnPixelsWithAndWithoutACompositor) {
    ASSERT_NO_FATAL_FAILURE(StartOnPattern());
    const QRect plain(37, 41, 301, 203), composited(401, 523, 180, 97);
    ASSERT_NO_FATAL_FAILURE(CaptureAndExpect(plain, session->SettledScreenshot(plain)));
    if (!QStandardPaths::findExecutable(QStringLiteral("xcompmgr")).isEmpty()) {
        compositor.setProcessEnvironment(session->Environment());
        compositor.start(QStringLiteral("xcompmgr"), {});
        ASSERT_TRUE(compositor.waitForStarted(5000));
        ASSERT_NO_FATAL_FAILURE(
            CaptureAndExpect(composited, session->SettledScreenshot(composited)));
    }
    // Esc and a click each leave nothing behind.
    const QByteArray saved = ReadBytes(DataFile());
    const QStringList files = Captured();
    ASSERT_TRUE(BeginCapture());
    ASSERT_TRUE(session->Key(QStringLiteral("Escape")));
    EXPECT_TRUE(XSession::WaitUntil([&] { return !OverlayShown(); }, 5000));
    ASSERT_TRUE(BeginCapture());
    ASSERT_TRUE(Drag(QRect(700, 100, 1, 50)));
    EXPECT_TRUE(XSession::WaitUntil([&] { return !OverlayShown(); }, 5000));
    EXPECT_EQ(Captured(), files);
    ExpectDataFile(saved);

    // Back after a restart, where they were.
    const QList<WindowInfo> pins = session->VisibleWindows(kPinned);
    session->StopProgram();
    ASSERT_TRUE(session->StartProgram(QStringLiteral(VELLORA_PROGRAM), work.path(), Data()));
    const QList<WindowInfo> restored = session->WaitForWindows(kPinned, pins.size(), 20000);
    ASSERT_EQ(restored.size(), pins.size());
    for (const WindowInfo& pin : pins) {
        EXPECT_TRUE(std::any_of(restored.begin(), restored.end(),
                                [&](const WindowInfo& w) { return w.rect == pin.rect; }));
    }
}

TEST_F(CaptureTest, AtAScaleOfTwoThePinKeepsTheDevicePixels) {
    ASSERT_NO_FATAL_FAILURE(CaptureAtScale(QStringLiteral("2"), QRect(100, 60, 240, 130), 0));
}

TEST_F(CaptureTest, AtAScaleOfOneAndAHalfThePinKeepsTheDevicePixels) {
    ASSERT_NO_FATAL_FAILURE(CaptureAtScale(QStringLiteral("1.5"), QRect(101, 61, 241, 131), 6));
}

// Another program's window under the pointer: a click pins exactly its frame, Tab and a click its
// client area, each with its pixels; after a restart "--capture last" takes that area again
// without the overlay, and C copies the colour under the pointer.
TEST_F(CaptureTest, AClickPinsTheWindowUnderThePointer) {
    ASSERT_NO_FATAL_FAILURE(StartOnPattern());
    std::optional<WindowInfo> target;
    std::optional<QRect> framed;
    ASSERT_NO_FATAL_FAILURE(OpenTarget(QRect(300, 200, 320, 240), target, framed));
    const QRect client = *session->ClientRect(target->id);
    const QPoint middle = client.center();
    const QImage screen = session->SettledScreenshot(*framed);
    ASSERT_NO_FATAL_FAILURE(CaptureAndExpect(*framed, screen, 0, [&] {
        return MoveTo(middle) && BeginCapture() && session->Click(middle);
    }));
    ASSERT_TRUE(HidePins());
    ASSERT_NO_FATAL_FAILURE(CaptureAndExpect(client, screen, 0, [&] {
        return BeginCapture() && session->Key(QStringLiteral("Tab")) && session->Click(middle);
    }));

    session->StopProgram();
    ASSERT_TRUE(session->StartProgram(QStringLiteral(VELLORA_PROGRAM), work.path(), Data()));
    ASSERT_EQ(session->WaitForWindows(kPinned, 2, 20000).size(), 2);
    ASSERT_TRUE(HidePins());
    ASSERT_NO_FATAL_FAILURE(
        CaptureAndExpect(client, screen, 0, [&] { return RunCapture({QStringLiteral("last")}); }));

    // Under a compositing manager the frame's pixels are the same.
    if (!QStandardPaths::findExecutable(QStringLiteral("xcompmgr")).isEmpty()) {
        ASSERT_TRUE(HidePins());
        compositor.setProcessEnvironment(session->Environment());
        compositor.start(QStringLiteral("xcompmgr"), {});
        ASSERT_TRUE(compositor.waitForStarted(5000));
        // Drawn as the window manager draws the frame now, which may have lost the focus.
        ASSERT_NO_FATAL_FAILURE(CaptureAndExpect(
            *framed, session->SettledScreenshot(*framed), 0,
            [&] { return MoveTo(middle) && BeginCapture() && session->Click(middle); }));
    }

    ASSERT_TRUE(HidePins());
    const QPoint plain(40, 1000);
    const QRgb colour = session->SettledScreenshot(QRect(plain, QSize(1, 1))).pixel(plain);
    const QStringList files = Captured();
    ASSERT_TRUE(MoveTo(plain) && BeginCapture() && session->Key(QStringLiteral("c")));
    const QString expected =
        QStringLiteral("#%1").arg(colour & 0xFFFFFFU, 6, 16, QLatin1Char('0')).toUpper();
    EXPECT_TRUE(XSession::WaitUntil(
        [&] {
            return session->Run("xclip", {"-o", "-selection", "clipboard"}) == expected.toLatin1();
        },
        5000));
    EXPECT_TRUE(XSession::WaitUntil([&] { return !OverlayShown(); }, 5000));
    EXPECT_EQ(Captured(), files);
}

// The arrows move the X server's pointer too, and its motion moves nothing a second time.
TEST_F(CaptureTest, AWholeCaptureFromTheKeyboard) {
    ASSERT_NO_FATAL_FAILURE(StartOnPattern());
    const QRect rect(101, 103, 52, 31);
    ASSERT_NO_FATAL_FAILURE(CaptureAndExpect(rect, session->SettledScreenshot(rect), 0, [&] {
        return MoveTo(rect.topLeft() - QPoint(1, 0)) && BeginCapture() &&
               session->Key(QStringLiteral("Right Return shift+Right shift+Right shift+Right "
                                           "shift+Right shift+Right shift+Down shift+Down "
                                           "shift+Down Right Right Down Return"));
    }));
}

TEST_F(CaptureTest, AtAScaleOfTwoAClickPinsTheWindowOnItsPixels) {
    ASSERT_NO_FATAL_FAILURE(ClickAtScale(QStringLiteral("2"), 2));
}

TEST_F(CaptureTest, AtAScaleOfOneAndAHalfAClickPinsTheWindowOnItsPixels) {
    ASSERT_NO_FATAL_FAILURE(ClickAtScale(QStringLiteral("1.5"), 6));
}

// Two monitors side by side on one X screen: each gets an overlay, and a drag across the seam is
// one pin of both halves.
TEST_F(CaptureTest, ADragAcrossTwoMonitorsIsOnePin) {
    const QSize screen = session->ScreenSize();
    const int half = screen.width() / 2;
    // The X server's own output goes to the left monitor, so that it lists these two alone.
    const QStringList listed = QString::fromUtf8(session->Run("xrandr", {"--listmonitors"}))
                                   .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    if (listed.size() != 2) GTEST_SKIP() << "xrandr lists no monitor to split";
    const QString output = listed.last().split(QLatin1Char(' '), Qt::SkipEmptyParts).last();
    for (const auto& [name, left, outputs] :
         {std::tuple("left", 0, output), std::tuple("right", half, QStringLiteral("none"))}) {
        bool ok = false;
        session->Run("xrandr",
                     {"--setmonitor", name,
                      QStringLiteral("%1/200x%2/300+%3+0").arg(half).arg(screen.height()).arg(left),
                      outputs},
                     &ok);
        ASSERT_TRUE(ok);
    }
    ASSERT_EQ(session->Run("xrandr", {"--listmonitors"}).count('\n'), 3);

    ASSERT_NO_FATAL_FAILURE(StartOnPattern());
    const QRect across(half - 120, 300, 240, 170);
    const QImage before = session->SettledScreenshot(across);
    // Each overlay shows its own monitor's part of the frozen screen, dimmed; the magnifier
    // stays by the pointer, in the corner, and the outline (stepped to the left monitor) runs
    // along that monitor's edges, outside the band compared.
    session->Run(QStringLiteral("xdotool"), {"mousemove", "5", "5"});
    const QRect band(0, 300, screen.width(), 600);
    QImage dimmed = session->SettledScreenshot(band).convertToFormat(QImage::Format_RGB32);
    QPainter(&dimmed).fillRect(dimmed.rect(), QColor(0, 0, 0, 96));
    ASSERT_TRUE(RunCapture());
    ASSERT_TRUE(XSession::WaitUntil([&] { return OverlaysShown() == 2; }, 10000));
    ASSERT_TRUE(session->Key(QStringLiteral("Tab Tab")));
    EXPECT_TRUE(XSession::WaitUntil(
        [&] {
            const QImage shown = session->Screenshot();
            return DifferingPixels(shown, dimmed, QRect(2, 300, half - 4, 600), 2) == 0 &&
                   DifferingPixels(shown, dimmed, QRect(half, 300, half, 600), 2) == 0;
        },
        5000));
    ASSERT_TRUE(session->Key(QStringLiteral("Escape")));
    ASSERT_TRUE(XSession::WaitUntil([&] { return !OverlayShown(); }, 5000));
    ASSERT_NO_FATAL_FAILURE(CaptureAndExpect(across, before));
}

// The desktop portal on a private bus: it answers (the overlay shows its picture), refuses to
// answer without asking (the picker's picture is pinned), or is not there (one line, no pin).
TEST_F(CaptureTest, UnderWaylandThePixelsComeFromTheDesktopPortal) {
    session->AddEnvironment(QStringLiteral("XDG_SESSION_TYPE"), QStringLiteral("wayland"));
    bus.start(QStringLiteral("dbus-daemon"), {"--session", "--nofork", "--print-address=1"});
    ASSERT_TRUE(
        bus.waitForStarted(5000) &&
        XSession::WaitUntil([&] { return bus.waitForReadyRead(100) || bus.canReadLine(); }, 5000));
    session->AddEnvironment(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                            QString::fromUtf8(bus.readLine().trimmed()));
    const QImage whole = Pattern(session->ScreenSize()).mirrored(true, false);
    const QString png = Path(QStringLiteral("portal.png"));
    ASSERT_TRUE(whole.save(png));
    const auto startPortal = [&](const char* mode) {
        portal.kill();
        portal.waitForFinished(3000);
        portal.setProcessEnvironment(session->Environment());
        portal.start(QStringLiteral(PORTAL_STANDIN), {QLatin1String(mode), png});
        ASSERT_TRUE(portal.waitForReadyRead(5000) && portal.readLine() == "ready\n");
    };
    // None yet.
    ASSERT_NO_FATAL_FAILURE(StartOnPattern());
    ASSERT_TRUE(RunCapture());
    EXPECT_TRUE(XSession::WaitUntil(
        [&] { return session->ProgramOutput().contains("no desktop portal answers"); }, 10000));
    EXPECT_TRUE(Captured().isEmpty());

    ASSERT_NO_FATAL_FAILURE(startPortal("answer"));
    const QRect rect(220, 180, 160, 120);
    ASSERT_NO_FATAL_FAILURE(CaptureAndExpect(rect, whole));
    EXPECT_EQ(PortalCalls(1), "interactive=0\n");

    ASSERT_NO_FATAL_FAILURE(startPortal("refuse"));
    ASSERT_TRUE(RunCapture());
    EXPECT_EQ(session->WaitForWindows(kPinned, 2, 10000).size(), 2);
    EXPECT_TRUE(XSession::WaitUntil([&] { return Captured().size() == 2; }, 5000));
    EXPECT_TRUE(SamePixels(QImage(Path("captured/" + Captured().last())), whole));
    EXPECT_EQ(PortalCalls(2), "interactive=0\ninteractive=1\n");
}

}  // namespace
}  // namespace e2e
