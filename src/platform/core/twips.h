#pragma once

#include <cstdint>
#include <optional>

#include <QRect>
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

// Left, Top, Width and Height in twips, for a window or a control that keeps its rectangle in
// whole logical pixels. `Owner` gives TwipsPixels() (the rectangle), SetTwipsPixels(rect, moved)
// (`moved`: Left or Top was set) and SizePixels(twips) (a width or height in pixels).
template <typename Owner>
class TwipsSides {
public:
    float Left() const { return PixelsToTwips(Pixels().left()); }
    float Top() const { return PixelsToTwips(Pixels().top()); }
    float Width() const { return PixelsToTwips(Pixels().width()); }
    float Height() const { return PixelsToTwips(Pixels().height()); }
    TwipsRect Rect() const { return {Left(), Top(), Width(), Height()}; }

    void SetLeft(float twips) {
        QRect rect = Pixels();
        rect.moveLeft(TwipsToPixels(twips));
        Self().SetTwipsPixels(rect, true);
    }
    void SetTop(float twips) {
        QRect rect = Pixels();
        rect.moveTop(TwipsToPixels(twips));
        Self().SetTwipsPixels(rect, true);
    }
    void SetWidth(float twips) {
        QRect rect = Pixels();
        rect.setWidth(Owner::SizePixels(twips));
        Self().SetTwipsPixels(rect, false);
    }
    void SetHeight(float twips) {
        QRect rect = Pixels();
        rect.setHeight(Owner::SizePixels(twips));
        Self().SetTwipsPixels(rect, false);
    }
    // All four at once: for a window, one request to the window system where setting them one
    // by one makes four, each for a rectangle never meant to be shown.
    void SetRect(float left, float top, float width, float height) {
        Self().SetTwipsPixels(QRect(TwipsToPixels(left), TwipsToPixels(top),
                                    Owner::SizePixels(width), Owner::SizePixels(height)),
                              true);
    }

private:
    Owner& Self() { return static_cast<Owner&>(*this); }
    QRect Pixels() const { return static_cast<const Owner&>(*this).TwipsPixels(); }
};

}  // namespace platform
