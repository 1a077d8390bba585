#include "platform/core/picture_transform.h"

#include <cmath>

namespace platform {

namespace {

int Quarter(int turns) {
    return ((turns % 4) + 4) % 4;
}

// Turned by the transform's quarter turns and mirrored, within a cropped picture of `size`.
QPointF Oriented(int turns, bool mirrored, QSizeF size, QPointF p) {
    QPointF turned;
    switch (Quarter(turns)) {
        case 1:
            turned = {size.height() - p.y(), p.x()};
            break;
        case 2:
            turned = {size.width() - p.x(), size.height() - p.y()};
            break;
        case 3:
            turned = {p.y(), size.width() - p.x()};
            break;
        default:
            turned = p;
    }
    if (!mirrored) return turned;
    const qreal shownWidth = Quarter(turns) % 2 ? size.height() : size.width();
    return {shownWidth - turned.x(), turned.y()};
}

// Oriented's inverse: the mirror undone first, then the turns.
QPointF Unoriented(int turns, bool mirrored, QSizeF size, QPointF p) {
    const qreal shownWidth = Quarter(turns) % 2 ? size.height() : size.width();
    const QPointF unmirrored = mirrored ? QPointF(shownWidth - p.x(), p.y()) : p;
    switch (Quarter(turns)) {
        case 1:
            return {unmirrored.y(), size.height() - unmirrored.x()};
        case 2:
            return {size.width() - unmirrored.x(), size.height() - unmirrored.y()};
        case 3:
            return {size.width() - unmirrored.y(), unmirrored.x()};
        default:
            return unmirrored;
    }
}

QRectF Spanned(QPointF a, QPointF b) {
    return QRectF(a, b).normalized();
}

}  // namespace

PictureTransform Stepped(const PictureTransform& transform, TransformStep step) {
    // The transform is a turn followed by a mirror. A mirror made before a turn is the same as
    // the opposite turn before the mirror, so each step only changes the two numbers.
    PictureTransform next = transform;
    const int sense = transform.mirrored ? -1 : 1;
    switch (step) {
        case TransformStep::TurnRight:
            next.turns = Quarter(transform.turns + sense);
            break;
        case TransformStep::TurnLeft:
            next.turns = Quarter(transform.turns - sense);
            break;
        case TransformStep::Turn180:
            next.turns = Quarter(transform.turns + 2);
            break;
        case TransformStep::FlipHorizontally:
            next.mirrored = !transform.mirrored;
            break;
        case TransformStep::FlipVertically:
            // Upside down is mirrored and turned half round.
            next.mirrored = !transform.mirrored;
            next.turns = Quarter(transform.turns + 2);
            break;
    }
    return next;
}

QRect CropWithin(const PictureTransform& transform, QSize upright) {
    const QRect whole(QPoint(0, 0), upright);
    if (transform.crop.isNull()) return whole;
    const QRect within = transform.crop & whole;
    return within.isEmpty() ? whole : within;
}

QSize ShownSize(const PictureTransform& transform, QSize upright) {
    const QSize cropped = CropWithin(transform, upright).size();
    return transform.Sideways() ? cropped.transposed() : cropped;
}

QPointF ShownFromUpright(const PictureTransform& transform, QSize upright, QPointF point) {
    const QRect crop = CropWithin(transform, upright);
    return Oriented(transform.turns, transform.mirrored, crop.size(), point - crop.topLeft());
}

QPointF UprightFromShown(const PictureTransform& transform, QSize upright, QPointF point) {
    const QRect crop = CropWithin(transform, upright);
    return Unoriented(transform.turns, transform.mirrored, crop.size(), point) + crop.topLeft();
}

QRectF ShownFromUpright(const PictureTransform& transform, QSize upright, const QRectF& rect) {
    return Spanned(ShownFromUpright(transform, upright, rect.topLeft()),
                   ShownFromUpright(transform, upright, rect.bottomRight()));
}

QRectF UprightFromShown(const PictureTransform& transform, QSize upright, const QRectF& rect) {
    return Spanned(UprightFromShown(transform, upright, rect.topLeft()),
                   UprightFromShown(transform, upright, rect.bottomRight()));
}

PictureTransform Cropped(const PictureTransform& transform, QSize upright, const QRectF& shown) {
    const QRectF uprightRect = UprightFromShown(transform, upright, shown);
    const QRect whole =
        QRect(QPoint(std::lround(uprightRect.left()), std::lround(uprightRect.top())),
              QPoint(std::lround(uprightRect.right()) - 1, std::lround(uprightRect.bottom()) - 1));
    const QRect crop = whole & CropWithin(transform, upright);
    if (crop.isEmpty()) return transform;
    PictureTransform next = transform;
    next.crop = crop == QRect(QPoint(0, 0), upright) ? QRect() : crop;
    return next;
}

PictureTransform FittedTo(const PictureTransform& transform, QSize upright) {
    if (transform.crop.isNull()) return transform;
    PictureTransform next = transform;
    const QRect within = transform.crop & QRect(QPoint(0, 0), upright);
    next.crop = within.isEmpty() || within == QRect(QPoint(0, 0), upright) ? QRect() : within;
    return next;
}

QSize UprightTarget(const PictureTransform& transform, QSize upright, QSize shown) {
    if (shown.isEmpty() || upright.isEmpty()) return {};
    const QSize cropTarget = transform.Sideways() ? shown.transposed() : shown;
    const QSize crop = CropWithin(transform, upright).size();
    if (crop == upright) return cropTarget;
    // The whole picture at the scale that gives the crop its target.
    return QSize(int(std::ceil(double(cropTarget.width()) * upright.width() / crop.width())),
                 int(std::ceil(double(cropTarget.height()) * upright.height() / crop.height())));
}

}  // namespace platform
