#pragma once

#include <QImage>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QRectF>
#include <QWidget>
#include <memory>
#include <optional>
#include <vector>

#include "platform/gui/screen_capture.h"

namespace capture_window {

class Capture;

// One monitor's window of a capture: full-screen, above everything, showing the frozen picture
// at its device pixels, dimmed outside the rectangle being dragged, with the rectangle's size and
// a magnifier beside the pointer.
class ScreenOverlay : public QWidget {
public:
    ScreenOverlay(Capture& capture, const platform::FrozenScreen& screen);

    const platform::FrozenScreen& Screen() const { return screen_; }
    // Repaints what a change of the selection and of the pointer touches.
    void Changed(const QRect& selection, QPoint pointer);

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    // Drawn on screen where X11 allows: Qt asks for a paint engine only then.
    QPaintEngine* paintEngine() const override { return nullptr; }
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // The device pixel of the X screen under a point of this window, which the pointer may have
    // left while the button is held.
    QPoint DevicePoint(QPointF local) const;
    QRectF Local(const QRect& device) const;
    void Draw(QPainter& painter);
    void DrawMagnifier(QPainter& painter, QPoint device);

    Capture& capture_;
    platform::FrozenScreen screen_;
    QImage shown_;  // the frozen pixels, drawn one to one onto the device pixels
    bool grabbed_ = false;
    std::optional<int> screenDepth_;  // set while drawn straight onto the screen
};

// One capture, from the frozen desktop to the rectangle chosen: the screen source is asked for
// the desktop, an overlay covers each monitor, and a drag of the left button chooses the pixels.
// Esc or the right button cancels. Each capture ends with exactly one of its signals; the frozen
// pixels go with the object.
class Capture : public QObject {
    Q_OBJECT
public:
    explicit Capture(std::unique_ptr<platform::ScreenSource> source);
    ~Capture() override;

    void Start();
    const std::vector<std::unique_ptr<ScreenOverlay>>& Overlays() const { return overlays_; }

    // What the overlays report, in the X screen's device pixels.
    void Press(QPoint device, const ScreenOverlay& on);
    void Move(QPoint device);
    void Release(QPoint device);
    void Cancel();
    // The rectangle chosen so far; empty while no button is down.
    QRect Selection() const { return selection_; }
    QPoint Pointer() const { return pointer_; }
    const platform::FrozenDesktop& Desktop() const { return desktop_; }

signals:
    // The pixels, and where their pin goes in logical pixels: exactly where they were taken, or
    // for a picture the desktop's picker gave, in the middle of the pointer's monitor.
    void captured(const QImage& pixels, const QRectF& logical);
    // Nothing was captured: why, in one line; empty when the user cancelled.
    void failed(const QString& reason);

private:
    void ShowFrozen(const platform::FrozenDesktop& desktop);
    void Picked(const QImage& picture);
    void Update(const QRect& oldSelection, QPoint oldPointer);

    std::unique_ptr<platform::ScreenSource> source_;
    platform::FrozenDesktop desktop_;
    std::vector<std::unique_ptr<ScreenOverlay>> overlays_;
    const platform::FrozenScreen* pressedOn_ = nullptr;
    QPoint pressed_, pointer_;
    QRect selection_;
    bool ended_ = false;
};

// The rectangle between two corners of device pixels, snapped so that it starts and ends on
// whole logical pixels of a monitor at `origin` with `scale`: a pin shows it without resampling.
QRect SnappedSelection(QPoint from, QPoint to, QPoint origin, qreal scale);

}  // namespace capture_window
