#include "support/text_pictures.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QRandomGenerator>
#include <algorithm>
#include <numeric>
#include <vector>

namespace test_support {

QImage TextPicture(const QStringList& lines, const QString& family, int pixelSize, QSize size) {
    QFont font(family);
    font.setPixelSize(pixelSize);
    const QFontMetrics metrics(font);
    const int margin = pixelSize * 2;
    if (size.isEmpty()) {
        int width = 0;
        for (const QString& line : lines) width = std::max(width, metrics.horizontalAdvance(line));
        size = QSize(width + 2 * margin, int(lines.size()) * metrics.lineSpacing() + 2 * margin);
    }
    QImage picture(size, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.setFont(font);
    painter.setPen(Qt::black);
    int y = margin + metrics.ascent();
    for (const QString& line : lines) {
        painter.drawText(margin, y, line);
        y += int(metrics.lineSpacing() * 1.5);
    }
    return picture;
}

QImage PhotoWithoutText(QSize size) {
    QImage picture(size, QImage::Format_RGB32);
    QRandomGenerator random(7);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            const int noise = int(random.bounded(24));
            picture.setPixel(
                x, y,
                qRgb(std::min(255, 90 + x * 120 / size.width() + noise),
                     std::min(255, 140 + y * 80 / size.height() + noise),
                     std::min(255, 60 + (x + y) * 100 / (size.width() + size.height()) + noise)));
        }
    }
    return picture;
}

double CharacterErrorRate(const QString& truth, const QString& read) {
    const auto letters = [](const QString& text) {
        std::vector<uint> out;
        for (const uint c : text.toUcs4()) {
            if (!QChar::isSpace(char32_t(c))) out.push_back(c);
        }
        return out;
    };
    const std::vector<uint> a = letters(truth);
    const std::vector<uint> b = letters(read);
    std::vector<size_t> row(b.size() + 1);
    std::iota(row.begin(), row.end(), size_t(0));
    for (size_t i = 1; i <= a.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1])});
            diagonal = above;
        }
    }
    return a.empty() ? double(!b.empty()) : double(row[b.size()]) / double(a.size());
}

}  // namespace test_support
