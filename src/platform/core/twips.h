#pragma once

#include <cstdint>
#include <optional>

// Window geometry is kept in twips, as single-precision numbers. One logical pixel is 15 twips.
namespace platform {

inline constexpr float kTwipsPerPixel = 15.0f;

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
