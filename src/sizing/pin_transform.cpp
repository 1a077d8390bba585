#include "sizing/pin_transform.h"

#include <algorithm>
#include <cmath>

namespace sizing {

namespace {

using platform::PictureTransform;

// How far to move [low, high] so that it reaches past [screenLow, screenHigh] no further than
// [wasLow, wasHigh] did; the low end wins when both cannot.
double BackOnto(double low, double high, double wasLow, double wasHigh, double screenLow,
                double screenHigh) {
    const double lowest = screenLow - std::max(0.0, screenLow - wasLow);
    const double highest = screenHigh + std::max(0.0, wasHigh - screenHigh);
    double shift = 0;
    if (high + shift > highest) shift = highest - high;
    if (low + shift < lowest) shift = lowest - low;
    return shift;
}

// A position rounded to a whole pixel, a half going toward where the edge was: a turn and the
// turn back then round the opposite ways, and give back the rectangle they started from.
double RoundedFrom(double position, double was) {
    const double below = std::floor(position);
    if (position - below != 0.5) return std::round(position);
    return position > was ? below : below + 1;
}

}  // namespace

QRectF RetransformedPin(const QRectF& pin, QSize upright, const PictureTransform& before,
                        const PictureTransform& after, const QRectF& screen) {
    if (upright.isEmpty() || pin.isEmpty()) return pin;
    const QRect cropBefore = platform::CropWithin(before, upright);
    const QRect cropAfter = platform::CropWithin(after, upright);
    // The scale along each of the upright picture's axes, which the window shows across or down.
    const double acrossUpright = before.Sideways() ? pin.height() : pin.width();
    const double downUpright = before.Sideways() ? pin.width() : pin.height();
    const double scaleX = acrossUpright / cropBefore.width();
    const double scaleY = downUpright / cropBefore.height();
    const QSizeF uprightAfter(cropAfter.width() * scaleX, cropAfter.height() * scaleY);
    const QSizeF size = after.Sideways() ? uprightAfter.transposed() : uprightAfter;
    const QSize shownSize(std::lround(size.width()), std::lround(size.height()));

    // The point that stays: the centre of what both show, where the screen shows it now.
    QRect common = cropBefore & cropAfter;
    if (common.isEmpty()) common = cropAfter;
    const QPointF centre = QRectF(common).center();
    const QSize shownBefore = platform::ShownSize(before, upright);
    const QSize shownAfter = platform::ShownSize(after, upright);
    const QPointF was = platform::ShownFromUpright(before, upright, centre);
    const QPointF on(pin.left() + was.x() * pin.width() / shownBefore.width(),
                     pin.top() + was.y() * pin.height() / shownBefore.height());
    const QPointF will = platform::ShownFromUpright(after, upright, centre);
    QRectF placed(
        QPointF(
            RoundedFrom(on.x() - will.x() * shownSize.width() / shownAfter.width(), pin.left()),
            RoundedFrom(on.y() - will.y() * shownSize.height() / shownAfter.height(), pin.top())),
        QSizeF(shownSize));

    if (before.turns != after.turns && !screen.isEmpty()) {
        placed.translate(BackOnto(placed.left(), placed.right(), pin.left(), pin.right(),
                                  screen.left(), screen.right()),
                         BackOnto(placed.top(), placed.bottom(), pin.top(), pin.bottom(),
                                  screen.top(), screen.bottom()));
    }
    return placed;
}

}  // namespace sizing
