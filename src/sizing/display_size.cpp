#include "sizing/display_size.h"

#include <algorithm>

#include "platform/core/twips.h"
#include "sizing/preview_size.h"

namespace sizing {

float PictureHeightFor(double referenceHeight, std::int16_t referenceWidth, float width) {
    const float product = static_cast<float>(referenceHeight * double(width));
    return product / static_cast<float>(referenceWidth);
}

ReferenceSize ReferenceSizeFor(float heightTwips, float widthTwips) {
    double height = heightTwips;
    double width = widthTwips;
    const double largest = std::max(height, width);
    if (largest > 32767.0) {
        height = height * 32767.0 / largest;
        width = width * 32767.0 / largest;
    }
    return {std::max<std::int16_t>(1, platform::ToInteger16(height).value_or(32767)),
            std::max<std::int16_t>(1, platform::ToInteger16(width).value_or(32767))};
}

OpenedSize OpenedSizeFor(QSize natural, QSizeF limit) {
    const QSizeF fitted = FitWithin(MeasuredSize(natural), limit);
    const float width = platform::PixelsToTwips(platform::ControlPixels(float(fitted.width())));
    const float height = platform::PixelsToTwips(platform::ControlPixels(float(fitted.height())));
    return {width,
            height,
            {platform::ToInteger16(height).value_or(32767),
             platform::ToInteger16(width).value_or(32767)}};
}

}  // namespace sizing
