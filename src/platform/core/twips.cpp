#include "platform/core/twips.h"

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <limits>

namespace platform {

namespace {

// std::nearbyint honours the current rounding mode; the default mode is to-nearest-even, which
// is the rule we want, but nothing should depend on someone else's fesetround.
double RoundHalfEven(double value) {
    const int saved = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double rounded = std::nearbyint(value);
    std::fesetround(saved);
    return rounded;
}

}  // namespace

std::optional<std::int16_t> ToInteger16(double value) {
    if (std::isnan(value)) return std::nullopt;
    const double rounded = RoundHalfEven(value);
    if (rounded < -32768.0 || rounded > 32767.0) return std::nullopt;
    return static_cast<std::int16_t>(rounded);
}

int TwipsToPixels(double twips) {
    if (std::isnan(twips)) return 0;
    const double pixels = RoundHalfEven(twips / double(kTwipsPerPixel));
    if (pixels <= double(std::numeric_limits<int>::min())) return std::numeric_limits<int>::min();
    if (pixels >= double(std::numeric_limits<int>::max())) return std::numeric_limits<int>::max();
    return static_cast<int>(pixels);
}

float PixelsToTwips(int pixels) {
    return static_cast<float>(pixels) * kTwipsPerPixel;
}

int ControlPixels(float twips) {
    return std::clamp(TwipsToPixels(twips), 0, 32767);
}

TwipsRect TwipsRectOf(const QRectF& logical) {
    return {float(logical.left()) * kTwipsPerPixel, float(logical.top()) * kTwipsPerPixel,
            float(logical.width()) * kTwipsPerPixel, float(logical.height()) * kTwipsPerPixel};
}

}  // namespace platform
