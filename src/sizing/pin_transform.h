#pragma once

#include <QRectF>
#include <QSize>

#include "platform/core/picture_transform.h"

// A pin's rectangle when its picture is turned, mirrored or cropped: arithmetic on logical
// pixels, no windows.
namespace sizing {

// The pin's rectangle after its transform changes from `before` to `after`, over a picture of
// `upright` pixels. The picture keeps its scale, and the part of it shown both before and after
// stays where it was on the screen: exactly for a crop, by its centre when the picture turns.
// A rectangle that a turn takes off `screen` is moved back as far as it was on it before (an
// empty `screen` moves nothing). In whole pixels.
QRectF RetransformedPin(const QRectF& pin, QSize upright, const platform::PictureTransform& before,
                        const platform::PictureTransform& after, const QRectF& screen);

}  // namespace sizing
