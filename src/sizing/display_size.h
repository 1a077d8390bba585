#pragma once

#include <QSize>
#include <QSizeF>
#include <cstdint>

// Sizing the display window: its picture keeps the shape of a reference size while the user
// sizes the window. Arithmetic on twips.
namespace sizing {

// The picture height for a window `width` twips wide, for a reference size
// referenceHeight x referenceWidth: the product and the quotient each rounded to single
// precision.
float PictureHeightFor(double referenceHeight, std::int16_t referenceWidth, float width);

// The reference size of a pinned picture handed back to the display window: its size as 16-bit
// integers, the aspect ratio kept when either side exceeds 32767 twips, and at least one twip
// each way, since the width divides every later picture height.
struct ReferenceSize {
    std::int16_t height;
    std::int16_t width;
};
ReferenceSize ReferenceSizeFor(float heightTwips, float widthTwips);

// The size a picture opens at in the display window.
struct OpenedSize {
    float width;              // the picture's, in twips as a control takes them (whole pixels)
    float height;             // likewise
    ReferenceSize reference;  // the shape kept while the window is sized: the same, as integers
};
// For a picture of `natural` pixels: its measured size (see MeasuredSize), scaled down to fit
// `limit` twips with its shape kept.
OpenedSize OpenedSizeFor(QSize natural, QSizeF limit);

}  // namespace sizing
