#pragma once

#include <QObject>
#include <QPointF>
#include <QSize>

#include "platform/pictures/picture.h"
#include "sizing/pin_zoom.h"

template <typename T>
class QFutureWatcher;

namespace pinned_window {

class PinnedWindow;

// The wheel's zoom of one pinned window, and the sharp pixels for each size it takes. A step is
// drawn at once: sharp when the pixels on hand or the thumbnail cache hold enough detail, else
// stretched from what is on hand until a decode made on a worker thread replaces it. Only one
// decode runs at a time; one made for a size the window no longer has is dropped.
class WheelZoom : public QObject {
    Q_OBJECT
public:
    // Sharp pixels come from `thumbnails` (may be null) when it holds them.
    WheelZoom(PinnedWindow* window, platform::ThumbnailCache* thumbnails);
    // Waits for a decode still running: it may use the thumbnail cache, which goes after the
    // windows.
    ~WheelZoom() override;
    WheelZoom(const WheelZoom&) = delete;
    WheelZoom& operator=(const WheelZoom&) = delete;

    // The wheel turned by `angleDelta` with the cursor at `cursor` (global logical pixels).
    // Whether the window changed.
    bool Turn(QPointF cursor, int angleDelta);

private:
    // Shows the window's picture sharp at its size, from `source` when that has the detail.
    void Sharpen(platform::Picture source);
    void Decoded();

    PinnedWindow* window_;
    platform::ThumbnailCache* thumbnails_;
    sizing::WheelNotches notches_;
    // The stretched stand-in on show while a decode is made, if any.
    platform::Picture standIn_;
    QFutureWatcher<platform::PictureLoad>* decode_ = nullptr;
};

}  // namespace pinned_window
