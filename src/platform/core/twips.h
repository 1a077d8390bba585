#pragma once

#include <cstdint>
#include <optional>

#include <QRectF>

// Window geometry is kept in twips, as single-precision numbers. One logical pixel is 15 twips.
namespace platform {

inline constexpr float kTwipsPerPixel = 15.0f;

// A rectangle in twips: a pin's as the data file keeps it, a window's, a picture placed to pin.
struct TwipsRect {
    float left = 0, top = 0, width = 0, height = 0;
    bool operator==(const TwipsRect&) const = default;
};
// The rectangle of logical pixels, in twips.
TwipsRect TwipsRectOf(const QRectF& logical);

// The conversion of a size to a 16-bit signed integer: nearest integer, halves to the even
// neighbour. Values outside -32768..32767, and NaN, give no value instead of wrapping.
std::optional<std::int16_t> ToInteger16(double value);

// Twips to whole logical pixels (nearest, halves to even), saturated to the int range.
int TwipsToPixels(double twips);

float PixelsToTwips(int pixels);

// A control's size in pixels for a size in twips, as controls apply it: whole pixels from 0 to
// 32767.
int ControlPixels(float twips);

}  // namespace platform
