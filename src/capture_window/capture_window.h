#pragma once

#include <QFontMetrics>
#include <QImage>
#include <QList>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QRectF>
#include <QRegion>
#include <QWidget>
#include <memory>
#include <optional>
#include <vector>

#include "capture_window/screen_source.h"

namespace capture_window {

class Capture;

// One monitor's window of a capture: full-screen, above everything, showing the frozen picture
// at its device pixels, dimmed outside the rectangle being dragged, with the rectangle's size and
// a magnifier beside the pointer.
class ScreenOverlay : public QWidget {
public:
    ScreenOverlay(Capture& capture, const capture_window::FrozenScreen& screen);

    const capture_window::FrozenScreen& Screen() const { return screen_; }
    // Repaints what a change of the selection and of the pointer touches.
    void Changed(const QRect& selection, QPoint pointer);

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    // Drawn by the X server where the frozen picture is kept there: Qt asks for a paint engine
    // only then.
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
    // The device pixels of this monitor that a rectangle of this window's logical pixels covers.
    QRect Device(const QRect& logical) const;
    // The frozen picture of the parts of `region` (logical pixels), dimmed outside the selection,
    // copied by the X server.
    void ShowFrozenOnServer(const QRegion& region);
    // What lies over the frozen picture: the selection's edges, the magnifier and its label.
    // Each covers the rectangles Marks() gives, in this monitor's device pixels.
    void DrawMarks(QPainter& painter);
    QList<QRect> Marks() const;
    // The magnifier's box and its label beside the pointer, in logical pixels of this window.
    QRectF MagnifierBox(QPoint device) const;
    QRectF LabelBox(const QFontMetrics& metrics, const QString& text, const QRectF& box) const;
    QString LabelText(QPoint device) const;
    void DrawMagnifier(QPainter& painter, QPoint device);
    // The frozen pixels the magnifier shows around `device`, fetched once for each place.
    const QImage& Near(QPoint device);

    Capture& capture_;
    capture_window::FrozenScreen screen_;
    QImage shown_;  // the frozen pixels at their scale, when the X server does not keep them
    bool grabbed_ = false;
    std::optional<int> serverDepth_;  // set while the X server shows the frozen picture
    QImage near_;
    QPoint nearAt_;
};

// One capture, from the frozen desktop to the rectangle chosen: the screen source is asked for
// the desktop, an overlay covers each monitor, and a drag of the left button chooses the pixels.
// Esc or the right button cancels. Each capture ends with exactly one of its signals; the frozen
// pixels go with the object.
class Capture : public QObject {
    Q_OBJECT
public:
    explicit Capture(std::unique_ptr<capture_window::ScreenSource> source);
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
    const capture_window::FrozenDesktop& Desktop() const { return desktop_; }

signals:
    // The pixels, and where their pin goes in logical pixels: exactly where they were taken, or
    // for a picture the desktop's picker gave, in the middle of the pointer's monitor.
    void captured(const QImage& pixels, const QRectF& logical);
    // Nothing was captured: why, in one line; empty when the user cancelled.
    void failed(const QString& reason);

private:
    void ShowFrozen(const capture_window::FrozenDesktop& desktop);
    void Picked(const QImage& picture);
    void Update(const QRect& oldSelection, QPoint oldPointer);

    std::unique_ptr<capture_window::ScreenSource> source_;
    capture_window::FrozenDesktop desktop_;
    std::vector<std::unique_ptr<ScreenOverlay>> overlays_;
    const capture_window::FrozenScreen* pressedOn_ = nullptr;
    QPoint pressed_, pointer_;
    QRect selection_;
    bool ended_ = false;
};

// The rectangle between two corners of device pixels of a monitor at `origin` with `scale`,
// snapped so that a pin shows it on exactly those pixels, without resampling: the corner pressed
// to whole logical pixels, the size to steps the window manager can give a window.
QRect SnappedSelection(QPoint from, QPoint to, QPoint origin, qreal scale);

}  // namespace capture_window
