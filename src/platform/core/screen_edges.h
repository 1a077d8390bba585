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
// Where a window of `size` goes beside `target` (a window's frame), `gap` pixels from it, never
// over it: below, above, right or left, the first side whose room within `area` holds it, and
// along that side as near the target's start as the area allows. With room on no side, below
// the target's bottom edge and within the area, even over the target.
QRect BesideRect(const QRect& target, QSize size, const QRect& area, int gap);
// The rectangle limited to what 16-bit X geometry holds: positions within -32768..32767,
// sizes within 1..32767.
QRect LimitedTo16Bit(const QRect& rect);

}  // namespace platform
