#include "sizing/pin_zoom.h"

#include <algorithm>
#include <cmath>

namespace sizing {

int WheelNotches::Take(int angleDelta) {
    pending_ += angleDelta;
    const int notches = pending_ / kWheelNotch;  // towards zero: a part notch waits
    pending_ -= notches * kWheelNotch;
    return notches;
}

QRectF ZoomedPin(const QRectF& pin, QPointF cursor, int notches, QSizeF screen) {
    if (pin.isEmpty() || notches == 0) return pin;
    double scale = std::pow(1.1, notches);
    // Within the screen on both axes, and no smaller than the smallest pin; a pin already
    // outside those limits is brought inside them rather than pushed further out.
    if (!screen.isEmpty()) {
        scale =
            std::min(scale, std::min(screen.width() / pin.width(), screen.height() / pin.height()));
    }
    scale = std::max(scale, kSmallestPinSide / std::min(pin.width(), pin.height()));
    const QSizeF size(std::round(pin.width() * scale), std::round(pin.height() * scale));
    // The point under the cursor keeps its place in the picture, as a fraction of each side.
    const double fx = (cursor.x() - pin.left()) / pin.width();
    const double fy = (cursor.y() - pin.top()) / pin.height();
    const QPointF topLeft(std::round(cursor.x() - fx * size.width()),
                          std::round(cursor.y() - fy * size.height()));
    return {topLeft, size};
}

}  // namespace sizing
