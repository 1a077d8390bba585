#include <gtest/gtest.h>

#include <QApplication>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

#include "capture_window/capture_window.h"

namespace {

using capture_window::FrozenDesktop;

// Two monitors side by side in one space of device pixels: the left at a scale of 1, the right
// at 2. Every pixel differs from its neighbours.
QImage Whole() {
    QImage image(300, 160, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) image.setPixel(x, y, qRgb(x, y, x ^ y));
    }
    return image;
}

// What a capture of `device` holds: the monitors' pixels, black below the left one, where there
// is no monitor.
QImage OnMonitors(const QRect& device) {
    QImage pixels = Whole().copy(device);
    QPainter(&pixels).fillRect(QRect(0, 80, 100, 80).translated(-device.topLeft()), Qt::black);
    return pixels;
}

// The two monitors, or one of `scale` filling the picture, with `windows` on them.
class FrozenSource : public capture_window::ScreenSource {
public:
    explicit FrozenSource(std::vector<platform::TopWindow> windows = {}, qreal scale = 0)
        : windows_(std::move(windows)), scale_(scale) {}
    void Freeze() override {
        const QImage whole = Whole();
        FrozenDesktop desktop{{{QRect(0, 0, 100, 80), 1, whole.copy(0, 0, 100, 80), {}},
                               {QRect(100, 0, 200, 160), 2, whole.copy(100, 0, 200, 160), {}}},
                              windows_};
        if (scale_ > 0) desktop.screens = {{whole.rect(), scale_, whole, {}}};
        emit frozen(desktop);
    }

private:
    std::vector<platform::TopWindow> windows_;
    qreal scale_;
};

struct Step {
    int overlay;  // 0 left, 1 right
    QPoint at;    // in the overlay's logical pixels
};

// A drag ends in a pin of exactly the device pixels between its corners, placed in the logical
// pixels of the monitor it began on; a line, Esc and the right button end in nothing.
TEST(Capture, ADragGivesTheDevicePixelsBetweenItsCorners) {
    const struct {
        const char* what;
        Step press, release;
        QRect device;  // empty: nothing captured
        QRectF logical;
        int key = 0;
        Qt::MouseButton button = Qt::LeftButton;
    } cases[] = {
        {"within the left", {0, {10, 10}}, {0, {60, 40}}, {10, 10, 50, 30}, {10, 10, 50, 30}},
        {"upwards and leftwards", {0, {60, 40}}, {0, {10, 10}}, {10, 10, 50, 30}, {10, 10, 50, 30}},
        {"from the left across", {0, {90, 10}}, {0, {130, 50}}, {90, 10, 40, 40}, {90, 10, 40, 40}},
        {"within the right", {1, {5, 5}}, {1, {25, 15}}, {110, 10, 40, 20}, {105, 5, 20, 10}},
        {"across, partly on no monitor",
         {0, {90, 60}},
         {1, {10, 50}},
         {90, 60, 30, 40},
         {90, 60, 30, 40}},
        {"one pixel wide", {0, {10, 10}}, {0, {11, 40}}, {}, {}},
        {"Esc", {0, {10, 10}}, {0, {60, 40}}, {}, {}, Qt::Key_Escape},
        {"the right button", {1, {5, 5}}, {1, {25, 15}}, {}, {}, 0, Qt::RightButton},
    };
    for (const auto& c : cases) {
        capture_window::Capture capture(std::make_unique<FrozenSource>());
        QSignalSpy captured(&capture, &capture_window::Capture::captured);
        QSignalSpy failed(&capture, &capture_window::Capture::failed);
        capture.Start();
        ASSERT_EQ(capture.Overlays().size(), 2u);
        QWidget* press = capture.Overlays()[c.press.overlay].get();
        QWidget* release = capture.Overlays()[c.release.overlay].get();
        QTest::mousePress(press, c.button, {}, c.press.at);
        QTest::mouseMove(press, c.release.at);
        if (c.key) QTest::keyClick(press, Qt::Key(c.key));
        QTest::mouseRelease(release, Qt::LeftButton, {}, c.release.at);
        if (c.device.isEmpty()) {
            EXPECT_TRUE(captured.isEmpty()) << c.what;
            ASSERT_EQ(failed.size(), 1) << c.what;
            EXPECT_TRUE(failed[0][0].toString().isEmpty()) << c.what;
            continue;
        }
        ASSERT_EQ(captured.size(), 1) << c.what;
        EXPECT_EQ(captured[0][0].value<QImage>(), OnMonitors(c.device)) << c.what;
        EXPECT_EQ(captured[0][1].toRectF(), c.logical) << c.what;
    }
}

// At any scale the rectangle is one a pin can cover exactly: it starts on whole logical pixels,
// and its size is whole logical pixels in the steps Qt lets a window manager size a window by.
TEST(Capture, ADragSnapsToPixelsAPinCanCover) {
    const struct {
        qreal scale;
        QPoint origin, from, to;
        QRect device;
    } cases[] = {
        {1, {0, 0}, {10, 10}, {61, 41}, {10, 10, 51, 31}},
        {2, {100, 0}, {104, 6}, {131, 21}, {104, 6, 28, 16}},
        {1.5, {0, 0}, {101, 61}, {342, 192}, {102, 60, 240, 132}},
        {1.5, {0, 0}, {342, 192}, {101, 61}, {102, 60, 240, 132}},
        {1.25, {1000, 0}, {1003, 7}, {1052, 33}, {1005, 5, 45, 30}},
        {1.75, {0, 0}, {0, 0}, {30, 15}, {0, 0, 28, 14}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(capture_window::SnappedSelection(c.from, c.to, c.origin, c.scale), c.device)
            << c.scale << " from " << c.from.x() << "," << c.from.y();
    }
}

// A frame on the left monitor with a window over it, and a window on the right one at odd device
// pixels, which a pin at a scale of 2 cannot cover.
const std::vector<platform::TopWindow> kWindows{
    {1, {10, 10, 50, 30}, {12, 20, 46, 18}},
    {2, {30, 20, 40, 40}, {31, 30, 38, 29}},
    {3, {111, 11, 61, 41}, {113, 21, 57, 29}},
};

// A click takes the outlined window, its client area or its monitor, as Tab and the wheel step
// through them, snapped as a drag would be; a press that travels 4 pixels is a drag.
TEST(Capture, AClickTakesTheOutlinedWindowAndTabStepsWhatIsOutlined) {
    const struct {
        Step click;
        int tabs;
        QRect device;
        QPoint releaseBy = {};
        bool wheel = false;
    } cases[] = {
        {{0, {15, 12}}, 0, {10, 10, 50, 30}},
        {{0, {15, 12}}, 1, {12, 20, 46, 18}},
        {{0, {15, 12}}, 2, {0, 0, 100, 80}},
        {{0, {15, 12}}, 3, {10, 10, 50, 30}},
        {{0, {15, 12}}, 1, {12, 20, 46, 18}, {}, true},
        {{0, {35, 25}}, 0, {30, 20, 40, 40}},
        {{0, {5, 5}}, 0, {0, 0, 100, 80}},
        {{1, {10, 10}}, 0, {112, 12, 60, 40}},
        {{0, {15, 12}}, 0, {10, 10, 50, 30}, {3, 3}},
        {{0, {15, 12}}, 0, {15, 12, 4, 4}, {4, 4}},
    };
    for (const auto& c : cases) {
        capture_window::Capture capture(std::make_unique<FrozenSource>(kWindows));
        QSignalSpy captured(&capture, &capture_window::Capture::captured);
        capture.Start();
        QWidget* on = capture.Overlays()[c.click.overlay].get();
        QTest::mouseMove(on, c.click.at);
        for (int i = 0; i < c.tabs; ++i) {
            if (c.wheel) {
                QWheelEvent wheel(c.click.at, on->mapToGlobal(c.click.at), {}, {0, 120},
                                  Qt::NoButton, {}, Qt::NoScrollPhase, false);
                QApplication::sendEvent(on, &wheel);
            } else {
                QTest::keyClick(on, Qt::Key_Tab);
            }
        }
        QTest::mousePress(on, Qt::LeftButton, {}, c.click.at);
        QTest::mouseMove(on, c.click.at + c.releaseBy);
        QTest::mouseRelease(on, Qt::LeftButton, {}, c.click.at + c.releaseBy);
        ASSERT_EQ(captured.size(), 1) << c.tabs;
        EXPECT_EQ(captured[0][2].toRect(), c.device) << c.click.at.x() << " tabs " << c.tabs;
        EXPECT_EQ(captured[0][0].value<QImage>(), OnMonitors(c.device));
    }
}

// The arrows move the pointer by device pixels at any scale, Enter begins and ends a drag, and
// Space held moves the whole rectangle.
TEST(Capture, AWholeCaptureFromTheKeyboard) {
    for (const qreal scale : {1.0, 1.5, 2.0}) {
        capture_window::Capture capture(std::make_unique<FrozenSource>(kWindows, scale));
        QSignalSpy captured(&capture, &capture_window::Capture::captured);
        capture.Start();
        QWidget* on = capture.Overlays()[0].get();
        QTest::mouseMove(on, QPoint(20, 20));
        const QPoint start = capture.Pointer();
        QTest::keyClick(on, Qt::Key_Right);
        QTest::keyClick(on, Qt::Key_Down, Qt::ShiftModifier);
        EXPECT_EQ(capture.Pointer(), start + QPoint(1, 10)) << scale;
        QTest::keyClick(on, Qt::Key_Return);
        for (int i = 0; i < 3; ++i) QTest::keyClick(on, Qt::Key_Right, Qt::ShiftModifier);
        QTest::keyPress(on, Qt::Key_Space);
        for (int i = 0; i < 5; ++i) QTest::keyClick(on, Qt::Key_Down);
        QTest::keyRelease(on, Qt::Key_Space);
        QTest::keyClick(on, Qt::Key_Down, Qt::ShiftModifier);
        EXPECT_EQ(capture.Pointer(), start + QPoint(31, 25)) << scale;
        QTest::keyClick(on, Qt::Key_Enter);
        ASSERT_EQ(captured.size(), 1) << scale;
        const QRect device = capture_window::SnappedSelection(start + QPoint(1, 15),
                                                              start + QPoint(31, 25), {}, scale);
        EXPECT_EQ(captured[0][2].toRect(), device) << scale;
        EXPECT_EQ(captured[0][0].value<QImage>(), Whole().copy(device)) << scale;
    }
}

TEST(Capture, CCopiesTheColourUnderThePointer) {
    for (const auto& [modifiers, text] :
         {std::pair(Qt::NoModifier, "#0A141E"), std::pair(Qt::ShiftModifier, "rgb(10, 20, 30)")}) {
        capture_window::Capture capture(std::make_unique<FrozenSource>());
        QSignalSpy taken(&capture, &capture_window::Capture::colourTaken);
        QSignalSpy captured(&capture, &capture_window::Capture::captured);
        capture.Start();
        QTest::mouseMove(capture.Overlays()[0].get(), QPoint(10, 20));
        QTest::keyClick(capture.Overlays()[0].get(), Qt::Key_C, modifiers);
        ASSERT_EQ(taken.size(), 1);
        EXPECT_EQ(taken[0][0].toString(), QLatin1String(text));
        EXPECT_TRUE(captured.isEmpty());
    }
}

// The last region again: what the monitors show of it, placed where it was, with a line when
// some of it is gone; nothing when all of it is.
TEST(Capture, TheLastRegionIsTakenAgainWithoutAnOverlay) {
    const struct {
        QRect region, device;
        QRectF logical;
        bool noted;
    } cases[] = {
        {{10, 10, 50, 30}, {10, 10, 50, 30}, {10, 10, 50, 30}, false},
        {{250, 100, 100, 100}, {250, 100, 50, 60}, {175, 50, 25, 30}, true},
        {{400, 400, 10, 10}, {}, {}, false},
    };
    for (const auto& c : cases) {
        capture_window::Capture capture(std::make_unique<FrozenSource>());
        QSignalSpy captured(&capture, &capture_window::Capture::captured);
        QSignalSpy failed(&capture, &capture_window::Capture::failed);
        QSignalSpy noted(&capture, &capture_window::Capture::noted);
        capture.StartAt(c.region);
        EXPECT_TRUE(capture.Overlays().empty());
        EXPECT_EQ(noted.size(), c.noted ? 1 : 0);
        if (c.device.isEmpty()) {
            ASSERT_EQ(failed.size(), 1);
            EXPECT_FALSE(failed[0][0].toString().isEmpty());
            continue;
        }
        ASSERT_EQ(captured.size(), 1);
        EXPECT_EQ(captured[0][0].value<QImage>(), Whole().copy(c.device));
        EXPECT_EQ(captured[0][1].toRectF(), c.logical);
    }
}

}  // namespace
