#pragma once

#include <QImage>
#include <QList>
#include <QRect>
#include <QRegion>
#include <QSizeF>

#include "marks/mark_painter.h"

class QPainter;

namespace pinned_window {

// A marked pin's picture with its marks drawn on, kept at the device pixels the pin shows it at:
// a repaint is then one copy of pixels however many marks there are, and a change of the marks
// draws again only where it changed. Made again when the picture's pixels or the pin's size
// change.
class MarkedPicture {
public:
    // Draws the picture and `marks` over `target` (logical pixels), `natural` being the
    // picture's own size and `ratio` the device pixels for each logical one.
    void Draw(QPainter& painter, const QRect& target, const QImage& pixels, QSizeF natural,
              const QList<marks::Mark>& marks, qreal ratio);
    // The marks changed over `pictureArea` (picture pixels).
    void Changed(const QRectF& pictureArea, QSizeF natural);
    // Forgets the kept pixels: nothing marked is shown any more.
    void Drop();

private:
    void Render(const QRegion& region, const QImage& pixels, QSizeF natural,
                const QList<marks::Mark>& marks);

    QImage composite_;
    qint64 pixelsKey_ = 0;
    QRegion stale_;  // in the composite's pixels
    marks::CoverCache covers_;
};

}  // namespace pinned_window
