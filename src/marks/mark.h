#pragma once

#include <QColor>
#include <QFont>
#include <QList>
#include <QPolygonF>
#include <QRectF>
#include <QString>
#include <QTransform>
#include <optional>

// The marks a user draws on a pin: arrows, boxes, text, numbers, mosaics. They are vectors in
// the picture's own pixels (the picture as shown, its orientation applied), so that they keep
// their spot and stay sharp at every size the pin is shown at. The picture's file is never
// touched.
namespace marks {

enum class Kind {
    Pen,
    Highlighter,
    Line,
    Arrow,
    Rectangle,
    Ellipse,
    Text,
    Number,
    Mosaic,
    Blur,
};

// What a kind is called in a marks file, and the kind a name calls: none for an unknown name.
QString NameOf(Kind kind);
std::optional<Kind> KindNamed(const QString& name);

// Whether a mark of the kind is a path drawn through every point (pen, highlighter), a shape
// over the rectangle of its two corners, or a thing at one point (text, number).
bool IsPath(Kind kind);
bool IsPoint(Kind kind);
// Mosaic and blur: worked out from the picture's pixels under their rectangle.
bool IsCover(Kind kind);

struct Mark {
    Kind kind = Kind::Pen;
    // A path: every point of it. Lines and arrows: from and to. Shapes and covers: two opposite
    // corners, in any order. Text and numbers: one point, the text's top left or the number's
    // centre.
    QPolygonF points;
    QColor color = QColor(0xe5, 0x39, 0x35);
    // The stroke's width in picture pixels; for text and numbers the size of the letters.
    qreal width = 4;
    QString text;  // text marks only

    bool operator==(const Mark&) const = default;

    // The rectangle of a shape or cover, normalised.
    QRectF Box() const;
    // Every pixel the mark may paint, in picture pixels: what to repaint when it changes. Text
    // is measured in the application's font, so a QGuiApplication must exist for text marks.
    QRectF Bounds() const;
    // The same mark moved by `offset`.
    Mark Moved(QPointF offset) const;
    // The same mark where the picture's pixels go when the picture is turned, mirrored or cut
    // (a transform without scaling).
    Mark Mapped(const QTransform& transform) const;
};

// The letters of a text or number mark: the application's font at a pixel size that grows
// with the mark's width.
QFont LetterFont(const Mark& mark);
// A number's circle: its diameter for a width.
qreal NumberDiameter(qreal width);
// A text mark's lines as drawn: its rectangle from its top left point.
QRectF TextBox(const Mark& mark);

// What each mark of the list is numbered: 1, 2, 3... for the number marks in list order, so
// that removing one renumbers those after it; 0 for every other mark.
QList<int> Numbers(const QList<Mark>& marks);

// The topmost mark under `point` (within `slop` picture pixels of a stroke), or -1.
int MarkAt(const QList<Mark>& marks, QPointF point, qreal slop);

// Shift held while drawing: a line's end at the nearest 45° step from its start, or a shape's
// corner making it square (a circle for an ellipse).
QPointF Constrained(Kind kind, QPointF from, QPointF to);

}  // namespace marks
