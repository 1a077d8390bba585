#include "sizing/preview_size.h"

#include <algorithm>

#include "platform/core/twips.h"

namespace sizing {

QSizeF MeasuredSize(QSize natural) {
    return {platform::PixelsToTwips(natural.width() + 2 * kMeasureBorderPixels),
            platform::PixelsToTwips(natural.height() + 2 * kMeasureBorderPixels)};
}

PreviewSize PreviewSizeFor(float width, float height) {
    const bool portrait = height > width;
    if (portrait && height >= kTallThreshold) {
        return {static_cast<float>(double(width) * kTallPreviewHeight / double(height)),
                kTallPreviewHeight};
    }
    return {kPreviewWidth, static_cast<float>(double(height) * kPreviewWidth / double(width))};
}

QSizeF FitWithin(QSizeF measured, QSizeF limit) {
    if (measured.width() <= limit.width() && measured.height() <= limit.height()) return measured;
    const double shrink =
        std::min(limit.width() / measured.width(), limit.height() / measured.height());
    return QSizeF(measured.width() * shrink, measured.height() * shrink);
}

}  // namespace sizing
