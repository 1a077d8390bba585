#include "marks/mark.h"

#include <QFontMetricsF>
#include <QLineF>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QtMath>
#include <algorithm>
#include <array>
#include <cmath>

namespace marks {

namespace {

struct KindName {
    Kind kind;
    const char* name;
};

// The names a marks file uses: one row a kind.
constexpr std::array kKindNames{
    KindName{Kind::Pen, "pen"},
    KindName{Kind::Highlighter, "highlighter"},
    KindName{Kind::Line, "line"},
    KindName{Kind::Arrow, "arrow"},
    KindName{Kind::Rectangle, "rectangle"},
    KindName{Kind::Ellipse, "ellipse"},
    KindName{Kind::Text, "text"},
    KindName{Kind::Number, "number"},
    KindName{Kind::Mosaic, "mosaic"},
    KindName{Kind::Blur, "blur"},
};

// How far an arrow's head reaches beyond its line, for a stroke width.
qreal ArrowHeadReach(qreal width) {
    return 3 * width + 8;
}

QPainterPath OutlineOf(const Mark& mark) {
    QPainterPath path;
    if (mark.points.isEmpty()) return path;
    switch (mark.kind) {
        case Kind::Ellipse:
            path.addEllipse(mark.Box());
            break;
        case Kind::Rectangle:
            path.addRect(mark.Box());
            break;
        default:
            path.addPolygon(mark.points);
            break;
    }
    return path;
}

}  // namespace

QString NameOf(Kind kind) {
    for (const KindName& row : kKindNames) {
        if (row.kind == kind) return QLatin1String(row.name);
    }
    return {};
}

std::optional<Kind> KindNamed(const QString& name) {
    for (const KindName& row : kKindNames) {
        if (name == QLatin1String(row.name)) return row.kind;
    }
    return std::nullopt;
}

bool IsPath(Kind kind) {
    return kind == Kind::Pen || kind == Kind::Highlighter;
}

bool IsPoint(Kind kind) {
    return kind == Kind::Text || kind == Kind::Number;
}

bool IsCover(Kind kind) {
    return kind == Kind::Mosaic || kind == Kind::Blur;
}

QRectF Mark::Box() const {
    if (points.isEmpty()) return {};
    return QRectF(points.first(), points.last()).normalized();
}

QFont LetterFont(const Mark& mark) {
    QFont font;
    font.setPixelSize(std::max(6, qRound(8 + 4 * mark.width)));
    if (mark.kind == Kind::Number) font.setBold(true);
    return font;
}

qreal NumberDiameter(qreal width) {
    return 16 + 4 * width;
}

QRectF TextBox(const Mark& mark) {
    if (mark.points.isEmpty()) return {};
    const QFontMetricsF metrics(LetterFont(mark));
    // Room for a caret on an empty text.
    const QRectF lines =
        metrics.boundingRect(QRectF(0, 0, 1e6, 1e6), Qt::AlignLeft | Qt::AlignTop,
                             mark.text.isEmpty() ? QStringLiteral(" ") : mark.text);
    return QRectF(mark.points.first(), QSizeF(lines.width(), lines.height()));
}

QRectF Mark::Bounds() const {
    if (points.isEmpty()) return {};
    switch (kind) {
        case Kind::Text:
            return TextBox(*this).adjusted(-2, -2, 2, 2);
        case Kind::Number: {
            const qreal radius = NumberDiameter(width) / 2 + 1;
            return QRectF(points.first() - QPointF(radius, radius), QSizeF(2 * radius, 2 * radius));
        }
        case Kind::Mosaic:
        case Kind::Blur:
            return Box();
        default: {
            // Half the pen beyond the outline, and an arrow's head beyond its end.
            const qreal reach = (kind == Kind::Arrow ? ArrowHeadReach(width) : width / 2) + 1;
            return OutlineOf(*this).boundingRect().adjusted(-reach, -reach, reach, reach);
        }
    }
}

Mark Mark::Moved(QPointF offset) const {
    Mark moved = *this;
    moved.points.translate(offset);
    return moved;
}

Mark Mark::Mapped(const QTransform& transform) const {
    // Letters stay upright and unmirrored, where they can be read: the text's box goes where
    // the transform takes its centre.
    if (kind == Kind::Text) {
        const QPointF centre = TextBox(*this).center();
        return Moved(transform.map(centre) - centre);
    }
    Mark mapped = *this;
    mapped.points = transform.map(points);
    return mapped;
}

QList<int> Numbers(const QList<Mark>& marks) {
    QList<int> numbers;
    numbers.reserve(marks.size());
    int next = 1;
    for (const Mark& mark : marks) numbers.append(mark.kind == Kind::Number ? next++ : 0);
    return numbers;
}

int MarkAt(const QList<Mark>& marks, QPointF point, qreal slop) {
    for (qsizetype i = marks.size() - 1; i >= 0; --i) {
        const Mark& mark = marks[i];
        if (mark.points.isEmpty()) continue;
        // Filled things are picked anywhere inside; outlines only near their stroke.
        const bool filled = IsCover(mark.kind) || IsPoint(mark.kind);
        if (filled) {
            if (mark.Bounds().adjusted(-slop, -slop, slop, slop).contains(point)) return int(i);
            continue;
        }
        QPainterPathStroker stroker;
        stroker.setWidth(mark.width + 2 * slop);
        if (stroker.createStroke(OutlineOf(mark)).contains(point)) return int(i);
    }
    return -1;
}

QPointF Constrained(Kind kind, QPointF from, QPointF to) {
    const QPointF delta = to - from;
    if (kind == Kind::Line || kind == Kind::Arrow) {
        const qreal length = std::hypot(delta.x(), delta.y());
        const qreal step = M_PI / 4;
        const qreal angle = std::round(std::atan2(delta.y(), delta.x()) / step) * step;
        return from + QPointF(length * std::cos(angle), length * std::sin(angle));
    }
    // The longer side wins, keeping the direction dragged in.
    const qreal side = std::max(std::abs(delta.x()), std::abs(delta.y()));
    return from + QPointF(delta.x() < 0 ? -side : side, delta.y() < 0 ? -side : side);
}

}  // namespace marks
