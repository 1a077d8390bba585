#pragma once

#include <QList>
#include <QMargins>
#include <QRect>
#include <QSize>

namespace platform {

// How far a window's rectangle reaches past the usable areas of the screens (each screen less
// its panels) on each side: the strips of it that no screen shows. Nothing when the window lies
// wholly on the screens, or wholly off them. Window managers that keep a new window on the
// screen leave these strips alone when they are declared as the window's own invisible border.
QMargins PartsOffScreen(const QRect& window, const QList<QRect>& usableAreas);

// Where a window of `size` opens at the platform default: centred on the available `area`,
// then moved the least that keeps the frame (`frame`, widths around the window's rectangle)
// inside the area. A frame wider or taller than the area keeps its left or top edge, where the
// title bar and the close button are, inside it.
QRect DefaultPlacement(QSize size, const QRect& area, const QMargins& frame);

// A screen's whole rectangle, and its usable area (less its panels).
struct ScreenArea {
    QRect geometry;
    QRect available;
};
// The rectangle moved onto the usable area of the screen nearest to it when it overlaps no
// screen at all.
QRect OntoNearestScreen(const QRect& rect, const QList<ScreenArea>& screens);
// The rectangle limited to what 16-bit X geometry holds: positions within -32768..32767,
// sizes within 1..32767.
QRect LimitedTo16Bit(const QRect& rect);

}  // namespace platform
