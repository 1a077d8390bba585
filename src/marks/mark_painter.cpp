#include "marks/mark_painter.h"

#include <QFontMetricsF>
#include <QLineF>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>
#include <algorithm>
#include <cmath>

namespace marks {

namespace {

// A mosaic's squares, in picture pixels, for a mark's width: large enough that no letter under
// one can be read.
qreal MosaicBlock(qreal width) {
    return std::max<qreal>(8, 3 * width);
}

QByteArray CoverKey(const Mark& mark, const QImage& pixels, QSizeF pictureSize) {
    const QRectF box = mark.Box();
    return QByteArray::number(int(mark.kind)) + ':' + QByteArray::number(pixels.cacheKey()) + ':' +
           QByteArray::number(box.x()) + ',' + QByteArray::number(box.y()) + ',' +
           QByteArray::number(box.width()) + ',' + QByteArray::number(box.height()) + ':' +
           QByteArray::number(mark.width) + ':' + QByteArray::number(pictureSize.width()) + 'x' +
           QByteArray::number(pictureSize.height());
}

// The mark's box in the pixels' own coordinates, whole pixels within the picture.
QRect PixelBox(const Mark& mark, const QImage& pixels, QSizeF pictureSize) {
    const qreal sx = pixels.width() / pictureSize.width();
    const qreal sy = pixels.height() / pictureSize.height();
    const QRectF box = mark.Box();
    const QRectF scaled(box.x() * sx, box.y() * sy, box.width() * sx, box.height() * sy);
    return scaled.toAlignedRect() & pixels.rect();
}

QImage MakeCover(const Mark& mark, const QImage& pixels, QSizeF pictureSize) {
    const QRect box = PixelBox(mark, pixels, pictureSize);
    if (box.isEmpty()) return {};
    const QImage under = pixels.copy(box);
    const qreal scale = pixels.width() / pictureSize.width();
    if (mark.kind == Kind::Mosaic) {
        // One averaged colour a square: the squares are drawn unsmoothed.
        const qreal block = std::max<qreal>(1, MosaicBlock(mark.width) * scale);
        const QSize squares(std::max(1, qRound(box.width() / block)),
                            std::max(1, qRound(box.height() / block)));
        return under.scaled(squares, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    // A blur: shrunk far, and drawn smoothed back to its size.
    const qreal shrink = std::max<qreal>(2, 2 * mark.width * scale);
    const QSize small(std::max(1, qRound(box.width() / shrink)),
                      std::max(1, qRound(box.height() / shrink)));
    const QImage tiny = under.scaled(small, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return tiny.scaled(small * 2, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

void PaintCover(QPainter& painter, const Mark& mark, const Canvas& canvas, CoverCache& covers) {
    const QImage& cover = covers.Of(mark, canvas.pixels, canvas.pictureSize);
    if (cover.isNull()) return;
    // Exactly over the whole pixels it was made of, so nothing of what is under shows at an edge.
    const QRect box = PixelBox(mark, canvas.pixels, canvas.pictureSize);
    const qreal sx = canvas.pictureSize.width() / canvas.pixels.width();
    const qreal sy = canvas.pictureSize.height() / canvas.pixels.height();
    const QRectF target(box.x() * sx, box.y() * sy, box.width() * sx, box.height() * sy);
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, mark.kind == Kind::Blur);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.drawImage(target, cover);
    painter.restore();
}

QPen PenOf(const Mark& mark) {
    QPen pen(mark.color, mark.width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    return pen;
}

void PaintArrow(QPainter& painter, const Mark& mark) {
    const QLineF line(mark.points.first(), mark.points.last());
    const qreal head = 3 * mark.width + 8;
    if (line.length() < 1) return;
    // The line stops inside the head, so its round end never shows past the point.
    const QLineF unit = line.unitVector();
    const QPointF direction(unit.dx(), unit.dy());
    const QPointF normal(-direction.y(), direction.x());
    const QPointF tip = line.p2();
    const QPointF base = tip - direction * std::min(head, line.length());
    QPolygonF arrowHead{tip, base + normal * head / 2, base - normal * head / 2};
    painter.setPen(PenOf(mark));
    painter.drawLine(line.p1(), base + direction * (mark.width / 2));
    painter.setPen(Qt::NoPen);
    painter.setBrush(mark.color);
    painter.drawPolygon(arrowHead);
}

void PaintNumber(QPainter& painter, const Mark& mark, int number) {
    const qreal diameter = NumberDiameter(mark.width);
    const QPointF centre = mark.points.first();
    const QRectF circle(centre - QPointF(diameter / 2, diameter / 2), QSizeF(diameter, diameter));
    painter.setPen(Qt::NoPen);
    painter.setBrush(mark.color);
    painter.drawEllipse(circle);
    // Readable on any colour: white on a dark one, black on a light one.
    painter.setPen(mark.color.lightnessF() > 0.6 ? Qt::black : Qt::white);
    QFont font = LetterFont(mark);
    font.setPixelSize(std::max(6, qRound(diameter * (number > 9 ? 0.45 : 0.6))));
    painter.setFont(font);
    painter.drawText(circle, Qt::AlignCenter, QString::number(number));
}

void PaintMark(QPainter& painter, const Mark& mark, int number, const Canvas& canvas,
               CoverCache& covers) {
    painter.setBrush(Qt::NoBrush);
    painter.setPen(PenOf(mark));
    switch (mark.kind) {
        case Kind::Pen:
            if (mark.points.size() == 1) {
                painter.drawPoint(mark.points.first());
            } else {
                painter.drawPolyline(mark.points);
            }
            break;
        case Kind::Highlighter: {
            // Under the picture's dark letters, as ink on paper: multiplied, not laid over.
            painter.save();
            painter.setCompositionMode(QPainter::CompositionMode_Multiply);
            QColor ink = mark.color;
            ink.setAlphaF(0.5);
            QPen pen(ink, mark.width * 4, Qt::SolidLine, Qt::SquareCap, Qt::RoundJoin);
            painter.setPen(pen);
            painter.drawPolyline(mark.points);
            painter.restore();
            break;
        }
        case Kind::Line:
            painter.drawLine(mark.points.first(), mark.points.last());
            break;
        case Kind::Arrow:
            PaintArrow(painter, mark);
            break;
        case Kind::Rectangle:
            painter.drawRect(mark.Box());
            break;
        case Kind::Ellipse:
            painter.drawEllipse(mark.Box());
            break;
        case Kind::Text:
            painter.setFont(LetterFont(mark));
            painter.drawText(TextBox(mark), Qt::AlignLeft | Qt::AlignTop, mark.text);
            break;
        case Kind::Number:
            PaintNumber(painter, mark, number);
            break;
        case Kind::Mosaic:
        case Kind::Blur:
            PaintCover(painter, mark, canvas, covers);
            break;
    }
}

}  // namespace

const QImage& CoverCache::Of(const Mark& mark, const QImage& pixels, QSizeF pictureSize) {
    const QByteArray key = CoverKey(mark, pixels, pictureSize);
    auto found = covers_.find(key);
    if (found == covers_.end()) {
        found = covers_.insert(key, Entry{MakeCover(mark, pixels, pictureSize), true});
    }
    found->used = true;
    return found->cover;
}

void CoverCache::DropUnused() {
    for (auto it = covers_.begin(); it != covers_.end();) {
        if (!it->used) {
            it = covers_.erase(it);
        } else {
            it->used = false;
            ++it;
        }
    }
}

void PaintMarks(QPainter& painter, const QList<Mark>& marks, const Canvas& canvas,
                CoverCache& covers, const QRectF& area) {
    if (marks.isEmpty() || canvas.pixels.isNull() || canvas.pictureSize.isEmpty()) return;
    const QList<int> numbers = Numbers(marks);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    for (qsizetype i = 0; i < marks.size(); ++i) {
        if (!area.isEmpty() && !marks[i].Bounds().intersects(area)) continue;
        PaintMark(painter, marks[i], numbers[i], canvas, covers);
    }
    painter.restore();
}

QImage WithMarks(const QImage& picture, const QList<Mark>& marks) {
    QImage marked = picture.convertToFormat(
        picture.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    if (marks.isEmpty()) return marked;
    // Covers from the picture as it was, never from marks drawn on it before them.
    CoverCache covers;
    const Canvas canvas{picture, QSizeF(picture.size())};
    QPainter painter(&marked);
    PaintMarks(painter, marks, canvas, covers);
    return marked;
}

}  // namespace marks
