#pragma once

#include <QObject>
#include <QPointF>
#include <QRectF>
#include <QSizeF>

class QKeyEvent;
class QMouseEvent;
class QPainter;
class QWidget;

namespace pinned_window {

// A pin while the user crops it: a rectangle dragged over the picture, then moved by its
// inside and sized by its edges and corners. Enter, or a double-click inside it, keeps it;
// Esc leaves the picture as it was. The pin neither moves, unpins nor zooms meanwhile.
class CropMode : public QObject {
    Q_OBJECT
public:
    // `picture` is the control the picture is drawn on, `pictureSize` the size of the picture
    // as it is shown.
    CropMode(QWidget& pin, QWidget& picture, QSizeF pictureSize);
    ~CropMode() override;

    // The rectangle in the control's pixels; empty before one is dragged.
    QRectF Rect() const { return rect_; }
    // The rest of the picture dimmed, the rectangle's outline and handles, with the painter in
    // the window's pixels and the control at `offset`.
    void Draw(QPainter& painter, QPoint offset) const;

    // Ends the mode: events pass to the pin again. The mode may then be deleted whenever
    // convenient.
    void Leave();

signals:
    // The part to keep, in the pixels of the picture as shown.
    void cropped(const QRectF& picturePart);
    void leaveRequested();
    // Pixels of the picture control to draw again.
    void repaintRequested(const QRectF& controlArea);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // What a drag takes hold of: the edges it moves (all four when it moves the rectangle).
    enum Edge { Left = 1, Top = 2, Right = 4, Bottom = 8, All = 15 };
    int EdgesAt(QPointF point) const;
    bool Key(const QKeyEvent* key);
    bool Mouse(const QMouseEvent* mouse);
    void SetRect(const QRectF& rect);
    void Keep();

    QWidget& pin_;
    QWidget& picture_;
    QSizeF pictureSize_;
    QRectF rect_;
    int held_ = 0;  // the edges being dragged; 0 while none is
    QPointF from_;  // where the drag began
    QRectF start_;  // the rectangle then
    bool left_ = false;
};

}  // namespace pinned_window
