#pragma once

#include <QHash>
#include <QImage>
#include <QList>
#include <QRectF>
#include <QSizeF>

#include "marks/mark.h"

class QPainter;

namespace marks {

// What mosaics and blurs are made of, kept until the picture or the mark changes: working one
// out reads every pixel under it, drawing it again reads a small image.
class CoverCache {
public:
    // The cover of the mark over `pixels` (the picture decoded at some size), where the whole
    // picture is `pictureSize` picture pixels.
    const QImage& Of(const Mark& mark, const QImage& pixels, QSizeF pictureSize);
    // Forgets the covers not asked for since the last call: marks removed or changed.
    void DropUnused();
    qsizetype Size() const { return covers_.size(); }

private:
    struct Entry {
        QImage cover;
        bool used = true;
    };
    QHash<QByteArray, Entry> covers_;
};

// The picture under the marks: its pixels at whatever size they were decoded, and the size of
// the picture in picture pixels (what marks are measured in).
struct Canvas {
    const QImage& pixels;
    QSizeF pictureSize;
};

// Draws the marks with the painter mapping picture pixels to where the picture is drawn (the
// caller scales and translates it). Only marks that reach into `area` (picture pixels; an empty
// one means all) are drawn.
void PaintMarks(QPainter& painter, const QList<Mark>& marks, const Canvas& canvas,
                CoverCache& covers, const QRectF& area = {});

// The picture with its marks drawn on, at the picture's own resolution: what leaves the pin
// (a copy, a saved file, a drag). Mosaics are worked out from these pixels, so no pixel under
// one is left.
QImage WithMarks(const QImage& picture, const QList<Mark>& marks);

}  // namespace marks
