#pragma once

#include <QPointF>
#include <QRectF>
#include <QSizeF>

// Zooming a pinned picture with the mouse wheel: arithmetic on logical pixels, no windows.
namespace sizing {

// One notch of an ordinary wheel, in the units of QWheelEvent::angleDelta.
inline constexpr int kWheelNotch = 120;
// The shorter side of a pin never goes below this many logical pixels.
inline constexpr double kSmallestPinSide = 16;

// Whole notches out of a wheel's deltas. High-resolution wheels and touchpads send fractions of
// a notch; they add up until a whole notch is reached, and turning back uses up what was kept.
class WheelNotches {
public:
    // The notches the delta completes: positive away from the user (zoom in).
    int Take(int angleDelta);

private:
    int pending_ = 0;
};

// The pin's rectangle after `notches` wheel notches with the cursor at `cursor`: each notch makes
// it 10 % larger (or undoes that), its shape kept, and the point under the cursor stays there.
// The size stays between kSmallestPinSide on the shorter side and `screen` on both axes, and is
// in whole pixels.
QRectF ZoomedPin(const QRectF& pin, QPointF cursor, int notches, QSizeF screen);

}  // namespace sizing
