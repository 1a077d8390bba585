#include "pinned_window/marked_picture.h"

#include <QPainter>
#include <cmath>

namespace pinned_window {

void MarkedPicture::Draw(QPainter& painter, const QRect& target, const QImage& pixels,
                         QSizeF natural, const QList<marks::Mark>& marks, qreal ratio) {
    const QSize device(int(std::ceil(target.width() * ratio)),
                       int(std::ceil(target.height() * ratio)));
    if (composite_.size() != device || pixelsKey_ != pixels.cacheKey()) {
        composite_ = QImage(device, pixels.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                             : QImage::Format_RGB32);
        pixelsKey_ = pixels.cacheKey();
        stale_ = QRegion(composite_.rect());
    }
    if (!stale_.isEmpty()) {
        Render(stale_, pixels, natural, marks);
        stale_ = QRegion();
        covers_.DropUnused();
    }
    painter.drawImage(QRectF(target), composite_);
}

void MarkedPicture::Changed(const QRectF& pictureArea, QSizeF natural) {
    if (composite_.isNull() || natural.isEmpty()) return;
    const QRectF area(pictureArea.x() * composite_.width() / natural.width(),
                      pictureArea.y() * composite_.height() / natural.height(),
                      pictureArea.width() * composite_.width() / natural.width(),
                      pictureArea.height() * composite_.height() / natural.height());
    stale_ += area.toAlignedRect().adjusted(-1, -1, 1, 1) & composite_.rect();
}

void MarkedPicture::Drop() {
    composite_ = QImage();
    stale_ = QRegion();
}

void MarkedPicture::Render(const QRegion& region, const QImage& pixels, QSizeF natural,
                           const QList<marks::Mark>& marks) {
    QPainter painter(&composite_);
    painter.setClipRegion(region);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (pixels.hasAlphaChannel()) {
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.fillRect(region.boundingRect(), Qt::transparent);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
    painter.drawImage(QRectF(composite_.rect()), pixels);
    const QTransform toComposite = QTransform::fromScale(composite_.width() / natural.width(),
                                                         composite_.height() / natural.height());
    painter.setTransform(toComposite);
    // A whole picture drawn asks no mark where it reaches.
    const QRectF area = region == QRegion(composite_.rect())
                            ? QRectF()
                            : toComposite.inverted().mapRect(QRectF(region.boundingRect()));
    marks::PaintMarks(painter, marks, marks::Canvas{pixels, natural}, covers_, area);
}

}  // namespace pinned_window
