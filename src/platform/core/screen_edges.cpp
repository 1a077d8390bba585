#include "platform/core/screen_edges.h"

namespace platform {

QMargins PartsOffScreen(const QRect& window, const QList<QRect>& usableAreas) {
    QRect shown;
    for (const QRect& area : usableAreas) shown |= window & area;
    if (shown.isEmpty()) return {};
    return {shown.left() - window.left(), shown.top() - window.top(),
            window.right() - shown.right(), window.bottom() - shown.bottom()};
}

}  // namespace platform
