#pragma once

#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QSize>

// How a pin shows its picture: a part of it cut out, turned by quarter turns and mirrored, on
// top of the picture as it is upright (a photo's EXIF orientation applied). It belongs to the
// pin, never to the file. Arithmetic only: the pixels are turned in platform/pictures.
namespace platform {

struct PictureTransform {
    int turns = 0;          // quarter turns clockwise, 0 to 3, made after the crop
    bool mirrored = false;  // left and right swapped, after turning
    QRect crop;             // in the upright picture's pixels; null for the whole picture

    bool IsIdentity() const { return turns == 0 && !mirrored && crop.isNull(); }
    // Whether the picture is turned on its side: its width and height trade places.
    bool Sideways() const { return turns % 2 != 0; }
    bool operator==(const PictureTransform&) const = default;
};

enum class TransformStep { TurnRight, TurnLeft, Turn180, FlipHorizontally, FlipVertically };

// The transform with one more step made on the picture as it is shown.
PictureTransform Stepped(const PictureTransform& transform, TransformStep step);
// The part of a picture of `upright` pixels that is shown: the crop within the picture, or the
// whole picture.
QRect CropWithin(const PictureTransform& transform, QSize upright);
// The size of the picture as shown.
QSize ShownSize(const PictureTransform& transform, QSize upright);
// A point of the upright picture where the shown picture has it, and back; both in pixels, a
// pixel's corners being whole numbers.
QPointF ShownFromUpright(const PictureTransform& transform, QSize upright, QPointF point);
QPointF UprightFromShown(const PictureTransform& transform, QSize upright, QPointF point);
QRectF ShownFromUpright(const PictureTransform& transform, QSize upright, const QRectF& rect);
QRectF UprightFromShown(const PictureTransform& transform, QSize upright, const QRectF& rect);
// The transform cut down to `shown`, a rectangle of the picture as shown (in its pixels, made
// whole): a crop of the crop. Unchanged when nothing of the picture is inside it.
PictureTransform Cropped(const PictureTransform& transform, QSize upright, const QRectF& shown);
// The same transform over a picture now of `upright` pixels (its file changed): the crop clipped
// to it, and dropped when nothing of it is left.
PictureTransform FittedTo(const PictureTransform& transform, QSize upright);
// The size a picture of `upright` pixels is best decoded at, upright, for the transform to show
// it at `shown` device pixels. Empty `shown` means the whole picture.
QSize UprightTarget(const PictureTransform& transform, QSize upright, QSize shown);

}  // namespace platform
