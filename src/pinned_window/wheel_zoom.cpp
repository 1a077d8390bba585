#include "pinned_window/wheel_zoom.h"

#include <QFutureWatcher>
#include <QScreen>
#include <QtConcurrent/QtConcurrentRun>

#include "pinned_window/pinned_window.h"
#include "platform/core/twips.h"

namespace pinned_window {

WheelZoom::WheelZoom(PinnedWindow* window, platform::ThumbnailCache* thumbnails)
    : QObject(window), window_(window), thumbnails_(thumbnails) {}

WheelZoom::~WheelZoom() {
    if (decode_) decode_->waitForFinished();
}

bool WheelZoom::Turn(QPointF cursor, int angleDelta) {
    const int notches = notches_.Take(angleDelta);
    if (notches == 0) return false;
    const QRectF pin(window_->OuterPixels());
    const QScreen* screen = window_->screen();
    const QSizeF limit = screen ? QSizeF(screen->geometry().size()) : QSizeF();
    const QRect zoomed = sizing::ZoomedPin(pin, cursor, notches, limit).toRect();
    if (zoomed == window_->OuterPixels()) return false;
    window_->Place(platform::PixelsToTwips(zoomed.left()), platform::PixelsToTwips(zoomed.top()),
                   platform::PixelsToTwips(zoomed.width()),
                   platform::PixelsToTwips(zoomed.height()));
    Sharpen(window_->Picture());
    return true;
}

void WheelZoom::Sharpen(platform::Picture source) {
    if (!source) return;
    const QSize wanted = platform::DecodeSizeFor(source->NaturalSize(), window_->DecodeTarget());
    const QSize held = source->Pixels().size();
    // More detail than is shown is dropped when the window paints (PictureData::FitTo), which
    // keeps it sharp; only a stand-in or missing detail needs pixels from elsewhere.
    if (source != standIn_ && held.width() >= wanted.width() && held.height() >= wanted.height()) {
        if (source != window_->Picture()) window_->SetPicture(std::move(source));
        standIn_.reset();
        return;
    }
    if (thumbnails_) {
        // A thumbnail stands for the file only untransformed.
        platform::PictureLoad cached =
            source->Transform().IsIdentity()
                ? platform::LoadCachedPicture(source->Path(), wanted, *thumbnails_)
                : platform::PictureLoad{};
        if (cached && cached.picture->NaturalSize() == source->NaturalSize()) {
            standIn_.reset();
            window_->SetPicture(std::move(cached.picture));
            return;
        }
    }
    // Drawn at once from the pixels on hand, at exactly the size shown so that painting does not
    // decode the file itself; the stand-in claims no origin, so no thumbnail is made of it.
    standIn_ = source->StandIn(
        source->Pixels().scaled(wanted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    window_->SetPicture(standIn_);
    if (decode_) return;  // Decoded starts the next one
    decode_ = new QFutureWatcher<platform::PictureLoad>(this);
    connect(decode_, &QFutureWatcherBase::finished, this, &WheelZoom::Decoded);
    decode_->setFuture(QtConcurrent::run(
        [path = source->Path(), wanted, thumbnails = thumbnails_, transform = source->Transform()] {
            return platform::LoadPicture(path, wanted, thumbnails, transform);
        }));
}

void WheelZoom::Decoded() {
    const platform::PictureLoad load = decode_->result();
    decode_->deleteLater();
    decode_ = nullptr;
    // Dropped when the window's picture changed meanwhile, and when the file is no longer a
    // picture (the stand-in stays). A decode for a size the window had before more steps came
    // is still the best source for the next stand-in, or the picture itself when it suffices.
    if (!standIn_ || window_->Picture() != standIn_ || !load ||
        load.picture->UprightSize() != standIn_->UprightSize() ||
        load.picture->Transform() != standIn_->Transform()) {
        return;
    }
    Sharpen(load.picture);
}

}  // namespace pinned_window
