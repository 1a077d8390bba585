#include "platform/core/screen_edges.h"

#include <algorithm>
#include <limits>

namespace platform {

namespace {

qint64 DistanceSquared(const QRect& a, const QRect& b) {
    const qint64 dx =
        std::max<qint64>({0, qint64(b.left()) - a.right(), qint64(a.left()) - b.right()});
    const qint64 dy =
        std::max<qint64>({0, qint64(b.top()) - a.bottom(), qint64(a.top()) - b.bottom()});
    return dx * dx + dy * dy;
}

}  // namespace

QMargins PartsOffScreen(const QRect& window, const QList<QRect>& usableAreas) {
    QRect shown;
    for (const QRect& area : usableAreas) shown |= window & area;
    if (shown.isEmpty()) return {};
    return {shown.left() - window.left(), shown.top() - window.top(),
            window.right() - shown.right(), window.bottom() - shown.bottom()};
}

QRect DefaultPlacement(QSize size, const QRect& area, const QMargins& frame) {
    QRect placed(QPoint(0, 0), size);
    placed.moveCenter(area.center());
    // Along each axis the frame's near edge stays at or after the area's and its far edge at or
    // before the area's, the near edge winning when the frame is the longer.
    const auto within = [](int start, int length, int before, int after, int areaStart,
                           int areaLength) {
        const int lowest = areaStart + before;
        const int highest = areaStart + areaLength - length - after;
        return std::max(lowest, std::min(start, highest));
    };
    placed.moveTo(
        within(placed.left(), size.width(), frame.left(), frame.right(), area.left(), area.width()),
        within(placed.top(), size.height(), frame.top(), frame.bottom(), area.top(),
               area.height()));
    return placed;
}

QRect LimitedTo16Bit(const QRect& rect) {
    const auto clampInt = [](qint64 value, qint64 low, qint64 high) {
        return int(std::clamp(value, low, high));
    };
    return QRect(clampInt(rect.left(), -32768, 32767), clampInt(rect.top(), -32768, 32767),
                 clampInt(rect.width(), 1, 32767), clampInt(rect.height(), 1, 32767));
}

QRect OntoNearestScreen(const QRect& rect, const QList<ScreenArea>& screens) {
    if (screens.isEmpty()) return rect;
    const ScreenArea* nearest = nullptr;
    qint64 best = std::numeric_limits<qint64>::max();
    for (const ScreenArea& screen : screens) {
        if (screen.geometry.intersects(rect)) return rect;
        const qint64 distance = DistanceSquared(screen.geometry, rect);
        if (distance < best) best = distance, nearest = &screen;
    }
    const QRect area = nearest->available;
    QRect moved = rect;
    moved.moveLeft(std::clamp(rect.left(), area.left(),
                              std::max(area.left(), area.right() - rect.width() + 1)));
    moved.moveTop(std::clamp(rect.top(), area.top(),
                             std::max(area.top(), area.bottom() - rect.height() + 1)));
    return moved;
}

QRect BesideRect(const QRect& target, QSize size, const QRect& area, int gap) {
    const auto along = [&](int start, int length, int low, int high) {
        return std::clamp(start, low, std::max(low, high - length));
    };
    const int x = along(target.left(), size.width(), area.left(), area.right() + 1);
    const int y = along(target.top(), size.height(), area.top(), area.bottom() + 1);
    const QRect candidates[] = {
        QRect(QPoint(x, target.bottom() + 1 + gap), size),
        QRect(QPoint(x, target.top() - gap - size.height()), size),
        QRect(QPoint(target.right() + 1 + gap, y), size),
        QRect(QPoint(target.left() - gap - size.width(), y), size),
    };
    for (const QRect& candidate : candidates) {
        if (area.contains(candidate)) return candidate;
    }
    return QRect(QPoint(x, std::min(target.bottom() + 1 + gap, area.bottom() + 1 - size.height())),
                 size);
}

}  // namespace platform
