#include "platform/gui/controls.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "platform/core/twips.h"

namespace platform {

ImageBox::ImageBox(QWidget* parent) : QWidget(parent), TwipsGeometry(this) {
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void ImageBox::SetPicture(Picture picture) {
    picture_ = std::move(picture);
    update();
    // A window drawn on screen repaints its controls itself.
    if (window()->testAttribute(Qt::WA_PaintOnScreen)) {
        window()->update(QRect(mapTo(window(), QPoint(0, 0)), size()));
    }
}

QSize DecodeTargetFor(QSize logical, qreal devicePixelRatio, QSize detailBound) {
    const QSize shown(int(std::ceil(logical.width() * devicePixelRatio)),
                      int(std::ceil(logical.height() * devicePixelRatio)));
    if (shown.isEmpty() || detailBound.isEmpty()) return shown;
    // Grow uniformly, so that the kept detail has the shape the picture is shown in.
    const double grow = std::min(double(detailBound.width()) / shown.width(),
                                 double(detailBound.height()) / shown.height());
    if (grow <= 1.0) return shown;
    return QSize(int(shown.width() * grow), int(shown.height() * grow));
}

QSize ImageBox::DecodeTarget() const {
    return DecodeTargetAt(size());
}

QSize ImageBox::DecodeTargetAt(QSize logical) const {
    return DecodeTargetFor(logical, devicePixelRatioF(), detailBound_);
}

void ImageBox::Draw(QPainter& painter, const QRect& target) const {
    if (!picture_ || target.isEmpty()) return;
    // The copy kept is the size it is drawn at, so drawing never scales a large source.
    picture_->FitTo(DecodeTarget());
    const QImage& pixels = picture_->Pixels();
    if (pixels.isNull()) return;
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, pixels);
    painter.restore();
}

void ImageBox::paintEvent(QPaintEvent*) {
    if (window()->testAttribute(Qt::WA_PaintOnScreen)) return;
    QPainter painter(this);
    Draw(painter, rect());
}

void ImageBox::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) emit DoubleClicked();
}

PictureLoad LoadPictureFor(const ImageBox& box, const FilePath& path, ThumbnailCache* thumbnails) {
    return LoadPicture(path, box.DecodeTarget(), thumbnails);
}

}  // namespace platform
