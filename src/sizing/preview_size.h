#pragma once

#include <QSize>
#include <QSizeF>

// Sizing a picture for the preview and for opening it: pure arithmetic on twips.
namespace sizing {

inline constexpr float kPreviewWidth = 1500;
inline constexpr float kTallPreviewHeight = 2000;
inline constexpr float kTallThreshold = 9000;

// The border a measured picture is given, in pixels on each side: a box sized to its picture
// draws a 3-D border of this width around it.
inline constexpr int kMeasureBorderPixels = 2;

// The size, in twips, a picture of `natural` pixels measures: its pixels and the border.
QSizeF MeasuredSize(QSize natural);

struct PreviewSize {
    float width;
    float height;
};

// The preview's size for a picture measured at width x height twips: 1500 wide, except for a
// portrait picture at least 9000 tall, which is 2000 high. Each result is computed in double
// precision and rounded once to single precision.
PreviewSize PreviewSizeFor(float width, float height);

// A measured size that fits `limit` (twips), the aspect ratio kept; sizes already within it
// come back unchanged.
QSizeF FitWithin(QSizeF measured, QSizeF limit);

}  // namespace sizing
