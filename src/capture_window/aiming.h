#pragma once

#include <QByteArray>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QRgb>
#include <QString>
#include <optional>

// What a capture aims at besides a drag, as arithmetic on the X screen's device pixels: what the
// outline takes of the window under the pointer, when a press is a click, where a key moves the
// pointer, and the rectangle of the last capture, kept in a file and taken again later.
namespace capture_window {

// What the outline takes, in the order Tab and the wheel step through it.
enum class Aim {
    Framed,   // the window with the window manager's frame
    Client,   // its client area alone
    Monitor,  // the whole monitor under the pointer
};
Aim NextAim(Aim aim);

// Whether a press that let go after travelling at most `farthest` device pixels from where it
// went down (along either axis), on a monitor at `scale`, was a click rather than a drag: less
// than 4 logical pixels.
bool IsClick(int farthest, qreal scale);

// Where an arrow key (Qt::Key_Left and so on) moves the pointer from `device`: one device pixel,
// ten with Shift, kept on `screens`' bounding rectangle. Any other key leaves it where it is.
QPoint MovedByKey(QPoint device, int key, bool shift, const QRect& screens);

// The part of `region` that the monitors show: what lies on a monitor no longer there is cut
// off. Nullopt when no monitor shows any of it.
std::optional<QRect> ClipToScreens(const QRect& region, const QList<QRect>& monitors);

// A colour as the clipboard takes it: "#RRGGBB", or with `asRgb` "rgb(r, g, b)".
QString ColourText(QRgb colour, bool asRgb);

// The last captured rectangle as its file keeps it: "x y width height" and a newline.
QByteArray RegionText(const QRect& region);
// Nullopt for anything but that: a rectangle with no pixels, or beyond the 16-bit coordinates an
// X screen has, is no region.
std::optional<QRect> RegionFromText(const QByteArray& text);

}  // namespace capture_window
