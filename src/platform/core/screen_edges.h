#pragma once

#include <QList>
#include <QMargins>
#include <QRect>

namespace platform {

// How far a window's rectangle reaches past the usable areas of the screens (each screen less
// its panels) on each side: the strips of it that no screen shows. Nothing when the window lies
// wholly on the screens, or wholly off them. Window managers that keep a new window on the
// screen leave these strips alone when they are declared as the window's own invisible border.
QMargins PartsOffScreen(const QRect& window, const QList<QRect>& usableAreas);

}  // namespace platform
