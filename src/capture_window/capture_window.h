#pragma once

#include <QFontMetrics>
#include <QImage>
#include <QList>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QRectF>
#include <QRegion>
#include <QTimer>
#include <QWidget>
#include <memory>
#include <optional>
#include <vector>

#include "capture_window/aiming.h"
#include "capture_window/screen_source.h"

namespace capture_window {

class Capture;

// What an overlay shows over the frozen picture, in the X screen's device pixels.
struct Shown {
    QRect selection;  // the rectangle dragged; empty before a drag
    QRect outline;    // what a click takes; empty during a drag
    QPoint pointer;
};

// One monitor's window of a capture: full-screen, above everything, showing the frozen picture
// at its device pixels, dimmed outside the rectangle being dragged, with the outline of what a
// click takes, the rectangle's size, a magnifier with the colour beside the pointer, and at first
// a line naming the keys.
class ScreenOverlay : public QWidget {
public:
    ScreenOverlay(Capture& capture, const capture_window::FrozenScreen& screen);

    const capture_window::FrozenScreen& Screen() const { return screen_; }
    // Repaints what a change of the selection, the outline and the pointer touches.
    void Changed(const Shown& shown);
    // Repaints the line naming the keys, as it fades.
    void HintChanged();

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    // Drawn by the X server where the frozen picture is kept there: Qt asks for a paint engine
    // only then.
    QPaintEngine* paintEngine() const override { return nullptr; }
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    // Tab steps the outline: it moves no focus.
    bool focusNextPrevChild(bool) override { return false; }

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
    // What lies over the frozen picture: the selection's edges or the outline's, the line naming
    // the keys, the magnifier and its label. Each covers the rectangles Marks() gives, in this
    // monitor's device pixels; drawn are those that reach into `within` (logical pixels).
    void DrawMarks(QPainter& painter, const QRectF& within);
    QList<QRect> Marks() const;
    // The magnifier's box and its label beside the pointer, in logical pixels of this window.
    QRectF MagnifierBox(QPoint device) const;
    QRectF LabelBox(const QFontMetrics& metrics, const QString& text, const QRectF& box) const;
    QString LabelText(QPoint device) const;
    void DrawMagnifier(QPainter& painter, QPoint device);
    // The line naming the keys, at the top of this monitor; empty on the others and once gone.
    QRectF HintBox() const;
    // The outline's four edges, in this monitor's device pixels.
    QList<QRect> OutlineEdges(const QRect& outline) const;
    // The frozen pixels the magnifier shows around `device`, fetched once for each place.
    const QImage& Near(QPoint device) const;

    Capture& capture_;
    capture_window::FrozenScreen screen_;
    QImage shown_;  // the frozen pixels at their scale, when the X server does not keep them
    bool grabbed_ = false;
    std::optional<int> serverDepth_;  // set while the X server shows the frozen picture
    mutable QImage near_;
    mutable QPoint nearAt_;
    mutable QSizeF hintSize_;
    int wheel_ = 0;  // eighths of a degree turned towards the next step
};

// One capture, from the frozen desktop to the rectangle chosen: the screen source is asked for
// the desktop, an overlay covers each monitor, and a drag of the left button chooses the pixels;
// a click takes what the outline shows: the window under the pointer, its client area or the
// monitor. Keys move the pointer and drag, and copy the colour under it. Esc or the right
// button cancels. Each capture ends with exactly one of its signals; the frozen pixels go with
// the object.
class Capture : public QObject {
    Q_OBJECT
public:
    explicit Capture(std::unique_ptr<capture_window::ScreenSource> source);
    ~Capture() override;

    void Start();
    // Whether a capture's outline first takes the window under the pointer, or its monitor;
    // Tab and the wheel step on from there. Before Start.
    void AimAtWindows(bool windows);
    // Takes `device` (the X screen's device pixels) at once, without an overlay: as much of it
    // as the monitors show now.
    void StartAt(const QRect& device);
    const std::vector<std::unique_ptr<ScreenOverlay>>& Overlays() const { return overlays_; }

    // What the overlays report, in the X screen's device pixels.
    void Press(QPoint device, const ScreenOverlay& on);
    void Move(QPoint device);
    void Release(QPoint device);
    void Cancel();
    // Tab and the wheel: the next of what the outline takes.
    void StepAim();
    // A key went down or up on an overlay: true when the capture took it.
    bool Key(int key, Qt::KeyboardModifiers modifiers);
    bool KeyUp(int key);
    // The rectangle chosen so far; empty before a drag.
    QRect Selection() const { return selection_; }
    // What a click takes now, snapped as a drag over it would be; empty during a drag.
    QRect Outline() const { return outline_; }
    QPoint Pointer() const { return pointer_; }
    // The monitor where the line naming the keys shows, and how much of it is left (1 to 0).
    const capture_window::FrozenScreen* HintScreen() const { return hintOn_; }
    qreal HintOpacity() const { return hintOpacity_; }
    const capture_window::FrozenDesktop& Desktop() const { return desktop_; }

signals:
    // The pixels, and where their pin goes in logical pixels: exactly where they were taken, or
    // for a picture the desktop's picker gave, in the middle of the pointer's monitor. `device`
    // is where they were on the X screen; empty for the picker's picture.
    void captured(const QImage& pixels, const QRectF& logical, const QRect& device);
    // Nothing was captured: why, in one line; empty when the user cancelled.
    void failed(const QString& reason);
    // The colour under the pointer, as the text to copy; nothing was captured.
    void colourTaken(const QString& text);
    // One line to tell the user, the capture going on: less was taken than asked for.
    void noted(const QString& line);

private:
    void ShowFrozen(const capture_window::FrozenDesktop& desktop);
    void TakeRegion();
    void Picked(const QImage& picture);
    // Ends the capture with the pixels of `chosen`, pinned in logical pixels of `on`.
    void Take(const QRect& chosen, const capture_window::FrozenScreen& on);
    void TakeColour(bool asRgb);
    const capture_window::FrozenScreen* ScreenAt(QPoint device) const;
    QRect ScreensBounds() const;
    // What a click would take at the pointer now.
    QRect AimedAt() const;
    // Moves the pointer there as the keys ask: the capture's own pointer at once, the X
    // server's after it.
    void MoveByKey(QPoint device);
    Shown Now() const { return {selection_, outline_, pointer_}; }
    void Update(const Shown& old);
    void FadeHint();

    std::unique_ptr<capture_window::ScreenSource> source_;
    capture_window::FrozenDesktop desktop_;
    std::vector<std::unique_ptr<ScreenOverlay>> overlays_;
    const capture_window::FrozenScreen* pressedOn_ = nullptr;
    QPoint pressed_, pointer_;
    int farthest_ = 0;     // device pixels the pointer went from the press, along either axis
    bool moving_ = false;  // Space held: the whole rectangle follows the pointer
    QRect selection_, outline_;
    Aim aim_ = Aim::Framed;
    std::optional<QRect> region_;  // StartAt's
    const capture_window::FrozenScreen* hintOn_ = nullptr;
    QPoint hintFrom_;
    qreal hintOpacity_ = 1;
    QTimer hintFade_;
    bool ended_ = false;
};

// The rectangle between two corners of device pixels of a monitor at `origin` with `scale`,
// snapped so that a pin shows it on exactly those pixels, without resampling: the corner pressed
// to whole logical pixels, the size to steps the window manager can give a window.
QRect SnappedSelection(QPoint from, QPoint to, QPoint origin, qreal scale);

}  // namespace capture_window
