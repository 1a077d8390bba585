#include <gtest/gtest.h>

#include <QPainter>
#include <QSignalSpy>
#include <QTest>

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

class FrozenSource : public capture_window::ScreenSource {
public:
    void Freeze() override {
        const QImage whole = Whole();
        emit frozen(
            FrozenDesktop{{{QRect(0, 0, 100, 80), 1, whole.copy(0, 0, 100, 80), {}},
                           {QRect(100, 0, 200, 160), 2, whole.copy(100, 0, 200, 160), {}}}});
    }
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

}  // namespace
