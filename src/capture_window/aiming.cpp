#include "capture_window/aiming.h"

#include <QList>
#include <algorithm>
#include <cstdlib>

namespace capture_window {

Aim NextAim(Aim aim) {
    switch (aim) {
        case Aim::Framed:
            return Aim::Client;
        case Aim::Client:
            return Aim::Monitor;
        case Aim::Monitor:
            break;
    }
    return Aim::Framed;
}

bool IsClick(int farthest, qreal scale) {
    constexpr qreal kClickTravel = 4;
    return farthest < kClickTravel * std::max<qreal>(scale, 1);
}

QPoint MovedByKey(QPoint device, int key, bool shift, const QRect& screens) {
    const int step = shift ? 10 : 1;
    QPoint by;
    switch (key) {
        case Qt::Key_Left:
            by = {-step, 0};
            break;
        case Qt::Key_Right:
            by = {step, 0};
            break;
        case Qt::Key_Up:
            by = {0, -step};
            break;
        case Qt::Key_Down:
            by = {0, step};
            break;
        default:
            return device;
    }
    if (screens.isEmpty()) return device + by;
    const QPoint moved = device + by;
    return {std::clamp(moved.x(), screens.left(), screens.right()),
            std::clamp(moved.y(), screens.top(), screens.bottom())};
}

std::optional<QRect> ClipToScreens(const QRect& region, const QList<QRect>& monitors) {
    QRect shown;
    for (const QRect& monitor : monitors) shown |= region & monitor;
    if (shown.isEmpty()) return std::nullopt;
    return shown;
}

QString ColourText(QRgb colour, bool asRgb) {
    if (asRgb) {
        return QStringLiteral("rgb(%1, %2, %3)")
            .arg(qRed(colour))
            .arg(qGreen(colour))
            .arg(qBlue(colour));
    }
    return QStringLiteral("#%1").arg(colour & 0xFFFFFFU, 6, 16, QLatin1Char('0')).toUpper();
}

QByteArray RegionText(const QRect& region) {
    return QByteArray::number(region.x()) + ' ' + QByteArray::number(region.y()) + ' ' +
           QByteArray::number(region.width()) + ' ' + QByteArray::number(region.height()) + '\n';
}

std::optional<QRect> RegionFromText(const QByteArray& text) {
    // X positions are INT16 and sizes CARD16; a rectangle must also end within the positions.
    constexpr int kLeast = -32768, kMost = 32767;
    const QList<QByteArray> words = text.trimmed().split(' ');
    if (words.size() != 4) return std::nullopt;
    int numbers[4] = {};
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        numbers[i] = words[i].toInt(&ok);
        if (!ok || numbers[i] < kLeast || numbers[i] > kMost) return std::nullopt;
    }
    const auto [x, y, width, height] = numbers;
    if (width <= 0 || height <= 0 || x + width - 1 > kMost || y + height - 1 > kMost) {
        return std::nullopt;
    }
    return QRect(x, y, width, height);
}

}  // namespace capture_window
